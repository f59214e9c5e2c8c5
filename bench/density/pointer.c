#include "density.h"
#ifdef __SDCC
#define bytes volatile unsigned char *
#else
#define bytes unsigned int *
#endif
volatile u8 buf[6];
volatile u8 total;
void fill(bytes p, u8 n, u8 v) { while (n--) *p++ = v++; }
void main(void) { u8 i; fill(&buf[0], 6, 10); total = 0; for (i = 0; i < 6; i++) total += buf[i]; }
