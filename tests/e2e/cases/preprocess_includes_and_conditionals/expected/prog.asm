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
; led         INT           S                                  1
; port        INT           S                                  1
; x_PORTB     INT           S                                  1
;
A__f0__      EQU        0
A__pc__      EQU        2
A__fsr__     EQU        4
A__stat__    EQU        3
A__P0tmp_    EQU       12
A__SxItmp_   EQU       13
A__SxLtmp_   EQU       14
A__SxLtmp__1  EQU       15
;
	DEVICE PAGES4,BANKS8
	DEVICE STACKX,OPTIONX
;            Assembly code starts here                   
;--------------------------------------------------------
;
      ORG 0                                   ; Line: 6
      MOV W,#1                                ; Line: 6
      MOV led,W                               ; Line: 6
;
      MOV W,#6                                ; Line: 11
      MOV port,W                              ; Line: 11
;
      MOV W,#1                                ; Line: 13
      MOV x_PORTB,W                           ; Line: 13
