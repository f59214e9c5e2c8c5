#include "density.h"
volatile u8 port, led, delay;
void wait(u8 n) { while (n) { n--; delay++; } }
void main(void) { u8 i; led = 0; for (i = 0; i < 4; i++) { led = !led; if (led) port |= 1; else port &= 0xFE; wait(3); } }
