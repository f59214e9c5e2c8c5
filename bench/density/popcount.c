#include "density.h"
volatile u8 value, ones;
void main(void) { u8 i, n; value = 0x6D; n = 0; for (i = 0; i < 8; i++) if (value & (1 << i)) n++; ones = n; }
