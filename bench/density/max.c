#include "density.h"
volatile u8 a, b, m;
u8 maximum(u8 x, u8 y) { if (x > y) return x; return y; }
void main(void) { a = 17; b = 42; m = maximum(a, b); m = maximum(m, 3); }
