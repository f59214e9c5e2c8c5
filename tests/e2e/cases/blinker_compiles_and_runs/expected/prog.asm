; 
; _/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/
; _/                                                                      _/
; _/         Kavo C (4.2)  C Compiler for Scenix microcontrollers         _/
; _/_______________________________________________________________________/
; _/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/
; 
	DEVICE PAGES4,BANKS8
	DEVICE STACKX,OPTIONX
;            Assembly code starts here                   
;--------------------------------------------------------
      ORG 0                                   ; Line: 0
wait                                          ; Line: 0
      JMP Await                               ; Line: 0
main                                          ; Line: 0
      JMP Amain                               ; Line: 0
;
Await                                         ; Line: 7
;
      MOV W,#200                              ; Line: 9
      MOV count,W                             ; Line: 9
;
_LBL_1                                        ; Line: 11
_BCL_1                                        ; Line: 11
      MOV W,count                             ; Line: 11
      SNB A__stat__.2                         ; Line: 11
      JMP _LBL_2                              ; Line: 11
      DEC count                               ; Line: 11
      MOV W,++count                           ; Line: 11
      JMP _LBL_1                              ; Line: 11
_LBL_2                                        ; Line: 11
_BCL_0                                        ; Line: 11
;
      RET                                     ; Line: 12
Await_END                                     ; Line: 12
;
Amain                                         ; Line: 14
;
_BCL_3                                        ; Line: 19
;
      MOV W,#1                                ; Line: 17
      XOR W,portb                             ; Line: 17
      MOV portb,W                             ; Line: 17
;
      CALL wait                               ; Line: 18
;
      JMP Amain                               ; Line: 19
_LBL_4                                        ; Line: 19
_BCL_2                                        ; Line: 19
;
_BCL_4                                        ; Line: 20
      JMP _BCL_4                              ; Line: 20
;
      ORG 2047                                ; Line: 0
      JMP main                                ; Line: 0
