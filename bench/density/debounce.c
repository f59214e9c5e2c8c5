#include "density.h"
volatile u8 pin, stable, counter;
void sample(void) { if (pin != stable) { counter++; if (counter >= 4) { stable = pin; counter = 0; } } else counter = 0; }
void main(void) { u8 i; pin = 1; stable = 0; counter = 0; for (i = 0; i < 8; i++) sample(); }
