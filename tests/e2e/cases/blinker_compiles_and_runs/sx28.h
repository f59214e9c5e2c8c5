/* Memory layout of the SX18, SX20 and SX28: 2048 words of program memory (four pages of
   512 words) and eight RAM banks.

   Registers 00h-07h are the special registers: INDF, RTCC, PC, STATUS, FSR, RA, RB, RC (on
   the 18- and 20-pin parts 07h is RAM). 08h-0Fh are global RAM, the same bytes in every bank.
   10h-1Fh are banked: sixteen bytes in each of banks 0 to 7, chosen by FSR bits 7:5.
   The compiler addresses RAM as bank x 32 + register, so bank n is n*32+10h to n*32+1Fh. */

#pragma ROM_START 0
#pragma ROM_END 0x7FF
/* The chip starts at the last word of program memory. */
#pragma RESET_LOC 0x7FF
/* STATUS holds the page bits PA2:PA0. */
#pragma PAGEBITS_LOC 0x03
/* 0Ch-0Fh: the compiler's four scratch bytes. */
#pragma CCTEMP_LOC 0x0C

/* Reachable whatever bank is selected: the special registers (never allocated), then the
   global RAM, where one-byte variables are placed first. */
#pragma COMMON_BANK_START_0 0x01
#pragma COMMON_BANK_END_0 0x07
#pragma COMMON_BANK_START_1 0x08
#pragma COMMON_BANK_END_1 0x0F

/* Bank 0 also holds the global RAM. */
#pragma BANK_START_00 0x08
#pragma BANK_END_00 0x1F
#pragma BANK_START_01 0x30
#pragma BANK_END_01 0x3F
#pragma BANK_START_02 0x50
#pragma BANK_END_02 0x5F
#pragma BANK_START_03 0x70
#pragma BANK_END_03 0x7F
#pragma BANK_START_04 0x90
#pragma BANK_END_04 0x9F
#pragma BANK_START_05 0xB0
#pragma BANK_END_05 0xBF
#pragma BANK_START_06 0xD0
#pragma BANK_END_06 0xDF
#pragma BANK_START_07 0xF0
#pragma BANK_END_07 0xFF

/* Configuration words, where the simulator and the programmers look for them. FUSEX bit 6
   set: ADD and SUB do not add the carry (the compiler's code expects that). */
#pragma FUSE_WORD_LOC 0x1010
#pragma FUSEX_WORD_LOC 0x1011
#pragma FUSE_WORD_VAL 0x0F7B
#pragma FUSEX_WORD_VAL 0x0F7F
