; Fills 16 bytes of bank 3 through FSR, sums them, and keeps banked copies in banks 1 and 5.
        radix   dec
total   equ     0x08
index   equ     0x09
arr     equ     0x70            ; bank 3, register 10h

        org     0
start   movlw   arr
        movwf   4               ; FSR
        movlw   1
        movwf   index
fillup  movf    index,w
        movwf   0               ; INDF
        incf    4,f
        incf    index,f
        movlw   17
        xorwf   index,w
        btfss   3,2
        goto    fillup

        clrf    total
        movlw   arr
        movwf   4
sum     movf    0,w
        addwf   total,f
        incf    4,f
        btfsc   4,4             ; past 7Fh: bit 4 of FSR clears
        goto    sum

        bank    0x20            ; bank 1
        movf    total,w
        movwf   0x1F
        bank    0xA0            ; bank 5
        comf    total,w
        movwf   0x1F
done    goto    done

        org     0x7FF
        goto    start
        end
