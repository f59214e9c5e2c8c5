/* The ranges of the integer types at this compiler's widths: char, short and int are 8 bits,
   long is 16 bits; plain char is signed. */
#ifndef KAVO_LIMITS_H
#define KAVO_LIMITS_H

#define CHAR_BIT 8
#define SCHAR_MIN (-127 - 1)
#define SCHAR_MAX 127
#define UCHAR_MAX 255
#define CHAR_MIN SCHAR_MIN
#define CHAR_MAX SCHAR_MAX
#define MB_LEN_MAX 1
#define SHRT_MIN (-127 - 1)
#define SHRT_MAX 127
#define USHRT_MAX 255
#define INT_MIN (-127 - 1)
#define INT_MAX 127
#define UINT_MAX 255U
#define LONG_MIN (-32767L - 1)
#define LONG_MAX 32767L
#define ULONG_MAX 65535UL

#endif
