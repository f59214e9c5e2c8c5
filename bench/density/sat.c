#include "density.h"
volatile u8 a, b, s;
u8 satadd(u8 x, u8 y) { u16 t; t = x; t += y; if (t > 255) return 255; return t; }
void main(void) { a = 200; b = 100; s = satadd(a, b); s = satadd(s, 0); s = satadd(10, 20); }
