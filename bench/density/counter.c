#include "density.h"
volatile u8 count, out;
void main(void) { u8 i; for (i = 0; i < 10; i++) count++; out = count; }
