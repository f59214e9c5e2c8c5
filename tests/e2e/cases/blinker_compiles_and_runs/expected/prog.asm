; 
; _/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/
; _/                                                                      _/
; _/         Kavo C (4.2)  C Compiler for Scenix microcontrollers         _/
; _/_______________________________________________________________________/
; _/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/
; 
; Call tree information follows:
;
; Function         |Page| Calls
; -----------------|----|------------------------------------------
; main             | -1 | wait
; wait             |  0 |
; A__strings_      | -1 |
; A__FUNC_SMOD     | -1 |
; A__FUNC_MOD      | -1 |
; A__FUNC_DIV      | -1 |
; A__FUNC_SDIV     | -1 |
; A__FUNC_SSHIFTR  | -1 |
; A__FUNC_SHIFTR   | -1 |
; A__FUNC_SHIFTL   | -1 |
; A__FUNC_MULT     | -1 |
;
; Name        Type        Form Class  Base        Typename   Size Addr Used-by
; -------------------------------------------------------------------------
; A__f0__     INT           S                                  1    0  
; A__pc__     INT           S                                  1    2  
; A__fsr__    INT           S                                  1    4  
; A__stat__   INT           S                                  1    3  
; A__P0tmp_   INT           S                                  1   12  
; A__SxItmp_  INT           S                                  1   13  
; A__SxLtmp_  LONG          S                                  2   14  
; portb       CHAR          U                                  1    6  
; count       CHAR          U                                  1    8  
; wait        FUNCNAME      S         VOID                     0    2
; main        FUNCNAME      S         VOID                     0   10
;
A__f0__      EQU        0
A__pc__      EQU        2
A__fsr__     EQU        4
A__stat__    EQU        3
A__P0tmp_    EQU       12
A__SxItmp_   EQU       13
A__SxLtmp_   EQU       14
A__SxLtmp__1  EQU       15
portb        EQU        6
count        EQU        8
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
