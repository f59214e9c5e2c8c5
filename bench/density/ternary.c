#include "density.h"
volatile u8 a, b, r;
void main(void) { a = 9; b = 4; r = a > b ? a : b; r = (a & 1) ? r + 1 : r - 1; }
