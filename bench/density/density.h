/* The same source for kavo and for SDCC (pdk14): the widths spelled so that both compilers
   give each variable the same size, globals volatile so that both do the same work. */
#ifdef __SDCC
#define u8 unsigned char
#define s8 signed char
#define u16 unsigned int
#define s16 int
#else
#include <sx28.h>
#define u8 unsigned char
#define s8 char
#define u16 unsigned long
#define s16 long
#endif
