#include "density.h"
volatile u8 a, b;
volatile u16 p;
void main(void) { a = 13; b = 11; p = a * b; p = p * 10; b = a * 4; }
