#include "density.h"
volatile u8 a, b, c, r;
void main(void) { a = 1; b = 0; c = 5; r = 0; if (a && !b) r++; if (b || c > 4) r++; if (!(a && b) && (c == 5 || c == 6)) r++; }
