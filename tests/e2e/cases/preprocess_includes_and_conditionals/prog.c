#include "chip.h"
/* toggles
   a pin */
#define ON 1
#ifdef ON
int led = ON;   // lit
#else
int led = 0;
#endif
#ifndef OFF
int port = RB;
#endif
int x_RB = ON;
