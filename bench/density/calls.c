#include "density.h"
volatile u8 a, b, c;
u8 twice(u8 x) { return x + x; }
u8 add(u8 x, u8 y) { return x + y; }
u8 sub(u8 x, u8 y) { return x - y; }
void main(void) { a = twice(5); b = add(a, 3); c = sub(b, a); c = add(twice(c), sub(a, 1)); }
