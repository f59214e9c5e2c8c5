#include "density.h"
volatile u8 a, b;
volatile u16 w;
void main(void) { a = 0x35; b = a << 2; b = b >> 1; w = 0x1234; w = w << 3; w = w >> 4; }
