#include "density.h"
volatile u8 value, parity;
void main(void) { u8 v, p; value = 0xB5; v = value; p = 0; while (v) { p ^= v & 1; v >>= 1; } parity = p; }
