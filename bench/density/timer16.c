#include "density.h"
volatile u16 ticks;
volatile u8 seconds, fired;
void tick(void) { ticks++; if (ticks >= 1000) { ticks = 0; seconds++; } }
void main(void) { u16 i; ticks = 990; seconds = 0; for (i = 0; i < 20; i++) tick(); fired = seconds; }
