#include "density.h"
volatile u8 value, tens, ones;
void main(void) { u8 v; value = 87; v = value; tens = 0; while (v >= 10) { v -= 10; tens++; } ones = v; }
