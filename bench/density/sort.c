#include "density.h"
volatile u8 v[5];
void main(void) { u8 i, j, t; v[0] = 9; v[1] = 2; v[2] = 7; v[3] = 1; v[4] = 5;
  for (i = 0; i < 4; i++) for (j = 0; j < 4 - i; j++) if (v[j] > v[j + 1]) { t = v[j]; v[j] = v[j + 1]; v[j + 1] = t; } }
