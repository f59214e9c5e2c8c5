; 16-bit addition with carry, 8-bit subtraction with borrow, and an 8 x 8 multiply by shifting.
        radix   dec
sumlo   equ     0x08
sumhi   equ     0x09
diff    equ     0x0A
borrow  equ     0x0B
mulx    equ     0x10
muly    equ     0x11
prodlo  equ     0x12
prodhi  equ     0x13
count   equ     0x14

        org     0
start   movlw   200             ; sum = 0x01C8 + 0x00F0 = 0x02B8
        movwf   sumlo
        movlw   1
        movwf   sumhi
        movlw   240
        addwf   sumlo,f
        btfsc   3,0             ; carry into the high byte
        incf    sumhi,f

        movlw   50              ; diff = 30 - 50 = -20 (0xEC), borrow: C clear
        movwf   diff
        movlw   30
        subwf   diff,f          ; diff = diff - W = 50 - 30 = 20
        clrf    borrow
        btfss   3,0
        incf    borrow,f        ; stays 0: no borrow

        movlw   13              ; 13 * 11 = 143
        movwf   mulx
        movlw   11
        movwf   muly
        clrf    prodlo
        clrf    prodhi
        movlw   8
        movwf   count
mloop   bcf     3,0
        rrf     muly,f          ; lowest multiplier bit into C
        btfss   3,0
        goto    mskip
        movf    mulx,w
        addwf   prodhi,f
mskip   rrf     prodhi,f
        rrf     prodlo,f
        decfsz  count,f
        goto    mloop
done    goto    done

        org     0x7FF
        goto    start
        end
