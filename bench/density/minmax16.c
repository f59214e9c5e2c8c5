#include "density.h"
volatile u16 v[4];
volatile u16 lo, hi;
void main(void) { u8 i; v[0] = 300; v[1] = 5; v[2] = 4000; v[3] = 77; lo = v[0]; hi = v[0];
  for (i = 1; i < 4; i++) { if (v[i] < lo) lo = v[i]; if (v[i] > hi) hi = v[i]; } }
