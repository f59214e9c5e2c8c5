#include "density.h"
volatile u8 a, q, r;
void main(void) { a = 200; q = a / 7; r = a % 7; q = q / 2; }
