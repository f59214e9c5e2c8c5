#include "density.h"
volatile u8 a, b, c, d, e;
volatile u16 w;
void main(void) { a = 0; b = 0; c = 0; d = 0; e = 0; w = 0; a++; b--; }
