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
