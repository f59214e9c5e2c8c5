; Calls across pages, a RETW jump table entered through "JMP PC+W", and IREAD of a data table.
        radix   dec
r1      equ     0x08
r2      equ     0x09
r3      equ     0x0A
r4      equ     0x0B
r5      equ     0x0C

        org     0
start   movlw   2
        call    table           ; 'c'
        movwf   r1
        page    far
        call    far             ; far sets r2 and returns with RETP
        movwf   r3
        movlw   high words       ; IREAD words + 1: M:W = address
        movwm
        movlw   low words + 1
        iread
        movwf   r4
        movmw
        movwf   r5
        page    start
done    goto    done

table   addwf   2,f
        retlw    'a'
        retlw    'b'
        retlw    'c'

words   dw      0x123, 0xABC

        org     0x400
far     movlw   0x5A
        movwf   r2
        movlw   0x77
        retp

        org     0x7FF
        goto    start
        end
