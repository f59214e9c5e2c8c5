/* Memory layout of the SX48 and SX52: 4096 words of program memory (eight pages of 512
   words) and sixteen RAM banks.

   Registers 00h-09h are the special registers: INDF, RTCC, PC, STATUS, FSR, RA, RB, RC, RD,
   RE. 0Ah-0Fh are global RAM. 10h-1Fh are banked: sixteen bytes in each of banks 0 to 15,
   chosen by FSR bits 7:4. BANK writes FSR bits 6:4 only, so the compiler sets FSR bit 7 for
   banks 8 to 15 itself (SX_52_BANKS, HIGH_BANKS_BIT).
   The compiler addresses RAM as bank x 32 + register, so bank n is n*32+10h to n*32+1Fh. */

#pragma ROM_START 0
#pragma ROM_END 0xFFF
#pragma RESET_LOC 0xFFF
#pragma PAGEBITS_LOC 0x03
#pragma CCTEMP_LOC 0x0C
#pragma SX_52_BANKS 1
#pragma HIGH_BANKS_BIT 7

#pragma COMMON_BANK_START_0 0x01
#pragma COMMON_BANK_END_0 0x09
#pragma COMMON_BANK_START_1 0x0A
#pragma COMMON_BANK_END_1 0x0F

/* Bank 0's banked bytes cannot be reached through INDF on these parts, and the compiler
   cannot tell which variables are reached through pointers: bank 0 offers only the global
   RAM. */
#pragma BANK_START_00 0x0A
#pragma BANK_END_00 0x0F
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
#pragma BANK_START_08 0x110
#pragma BANK_END_08 0x11F
#pragma BANK_START_09 0x130
#pragma BANK_END_09 0x13F
#pragma BANK_START_10 0x150
#pragma BANK_END_10 0x15F
#pragma BANK_START_11 0x170
#pragma BANK_END_11 0x17F
#pragma BANK_START_12 0x190
#pragma BANK_END_12 0x19F
#pragma BANK_START_13 0x1B0
#pragma BANK_END_13 0x1BF
#pragma BANK_START_14 0x1D0
#pragma BANK_END_14 0x1DF
#pragma BANK_START_15 0x1F0
#pragma BANK_END_15 0x1FF

#pragma FUSE_WORD_LOC 0x1010
#pragma FUSEX_WORD_LOC 0x1011
#pragma FUSE_WORD_VAL 0x0F7B
#pragma FUSEX_WORD_VAL 0x0F7F
