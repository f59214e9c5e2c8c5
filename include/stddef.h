/* The null pointer and the types of sizes and of pointer differences, at this compiler's
   widths: an object's size and a char pointer's difference may pass what the 8-bit int
   holds (a string table spans program memory), so both are 16 bits. */
#ifndef KAVO_STDDEF_H
#define KAVO_STDDEF_H

#define NULL 0

typedef unsigned long size_t;
typedef long ptrdiff_t;

#endif
