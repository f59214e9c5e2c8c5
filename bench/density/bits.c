#include "density.h"
volatile u8 port, flags;
void main(void) { port |= 0x01; port &= ~0x02; port ^= 0x80; if (port & 0x04) flags = 1; else flags = 0; }
