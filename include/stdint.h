/* Integer types of given widths, at this compiler's widths: char, short and int are 8 bits,
   long is 16 bits. There is no 32-bit type, so int32_t and uint32_t are not defined: a
   program that needs them is refused where it names them, not compiled into 16 bits. */
#ifndef KAVO_STDINT_H
#define KAVO_STDINT_H

typedef signed char int8_t;
typedef unsigned char uint8_t;
typedef long int16_t;
typedef unsigned long uint16_t;

typedef signed char int_least8_t;
typedef unsigned char uint_least8_t;
typedef long int_least16_t;
typedef unsigned long uint_least16_t;

typedef signed char int_fast8_t;
typedef unsigned char uint_fast8_t;
typedef long int_fast16_t;
typedef unsigned long uint_fast16_t;

/* Every pointer but a char pointer is one byte; a char pointer is two. */
typedef long intptr_t;
typedef unsigned long uintptr_t;
typedef long intmax_t;
typedef unsigned long uintmax_t;

#define INT8_MIN (-127 - 1)
#define INT8_MAX 127
#define UINT8_MAX 255
#define INT16_MIN (-32767L - 1)
#define INT16_MAX 32767L
#define UINT16_MAX 65535U

#define INT_LEAST8_MIN INT8_MIN
#define INT_LEAST8_MAX INT8_MAX
#define UINT_LEAST8_MAX UINT8_MAX
#define INT_LEAST16_MIN INT16_MIN
#define INT_LEAST16_MAX INT16_MAX
#define UINT_LEAST16_MAX UINT16_MAX
#define INT_FAST8_MIN INT8_MIN
#define INT_FAST8_MAX INT8_MAX
#define UINT_FAST8_MAX UINT8_MAX
#define INT_FAST16_MIN INT16_MIN
#define INT_FAST16_MAX INT16_MAX
#define UINT_FAST16_MAX UINT16_MAX
#define INTPTR_MIN INT16_MIN
#define INTPTR_MAX INT16_MAX
#define UINTPTR_MAX UINT16_MAX
#define INTMAX_MIN INT16_MIN
#define INTMAX_MAX INT16_MAX
#define UINTMAX_MAX UINT16_MAX

#define INT8_C(v) (v)
#define UINT8_C(v) (v##U)
#define INT16_C(v) (v##L)
#define UINT16_C(v) (v##UL)
#define INTMAX_C(v) (v##L)
#define UINTMAX_C(v) (v##UL)

#endif
