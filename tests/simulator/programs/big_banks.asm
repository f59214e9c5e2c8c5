; SX52: the same register number in banks 2, 0Ah and 0 (through FSR bit 7 and MOV FSR), and an
; indirect store into bank 0Fh; a call into page 7 of the 4096-word memory.
        radix   dec
        org     0
; gpasm encodes bits 7:5 of a BANK operand, so "bank 0x40" assembles as BANK 2.
start   bank    0x40            ; bank 2 (FSR.7 clear)
        movlw   0x22
        movwf   0x15
        bsf     4,7             ; FSR.7 set: bank 0Ah
        movlw   0xAA
        movwf   0x15
        clrf    4               ; bank 0: reachable only by semi-direct access
        movlw   0x55
        movwf   0x15
        movlw   0xF3
        movwf   4
        movlw   0xF0
        movwf   0               ; bank 0Fh, register 13h
        page    0xE00
        call    0xE00
        page    start
done    goto    done

        org     0xE00
        movlw   0x0E
        movwf   0x0F            ; a global
        retp

        org     0xFFF
        goto    start
        end
