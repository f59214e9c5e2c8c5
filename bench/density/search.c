#include "density.h"
volatile u8 table[8];
volatile u8 key, found;
void main(void) { u8 i; for (i = 0; i < 8; i++) table[i] = i * 7; key = 35; found = 255;
  for (i = 0; i < 8; i++) if (table[i] == key) { found = i; break; } }
