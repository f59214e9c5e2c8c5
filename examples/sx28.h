// Memory layout of an SX28 (2048 words of program memory, 8 banks of RAM).
#pragma ROM_START 0
#pragma ROM_END 0x7FF
#pragma RESET_LOC 0x7FF
#pragma CCTEMP_LOC 0x0C
#pragma PAGEBITS_LOC 0x03
#pragma BANK_START_00 0x10
#pragma BANK_END_00 0x1F
#pragma COMMON_BANK_START_0 0x08
#pragma COMMON_BANK_END_0 0x0B
#pragma FUSE_WORD_LOC 0x1010
#pragma FUSEX_WORD_LOC 0x1011
#pragma FUSE_WORD_VAL 0x0F7B
#pragma FUSEX_WORD_VAL 0x0F7F
