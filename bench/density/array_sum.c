#include "density.h"
volatile u8 data[8];
volatile u16 sum;
void main(void) { u8 i; for (i = 0; i < 8; i++) data[i] = i * 3; sum = 0; for (i = 0; i < 8; i++) sum += data[i]; }
