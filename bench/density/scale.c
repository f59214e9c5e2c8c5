#include "density.h"
volatile u8 raw;
volatile u16 scaled;
void main(void) { raw = 200; scaled = (u16)raw * 5 + 32; scaled = scaled / 9; }
