#include "density.h"
volatile u16 samples[4];
volatile u16 avg;
void main(void) { u8 i; u16 s; samples[0] = 100; samples[1] = 200; samples[2] = 300; samples[3] = 405;
  s = 0; for (i = 0; i < 4; i++) s += samples[i]; avg = s >> 2; }
