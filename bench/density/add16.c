#include "density.h"
volatile u16 a, b, c;
void main(void) { a = 1000; b = 2345; c = a + b; c = c - a; c += 7; }
