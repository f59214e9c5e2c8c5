#include "density.h"
volatile s8 a, b;
volatile u8 r;
void main(void) { a = -5; b = 3; r = 0; if (a < b) r |= 1; if (a <= b) r |= 2; if (a > b) r |= 4; if (a >= -5) r |= 8; }
