/* Table lookups: the squares of 0 to 15 in a RAM array, summed into a 16-bit total, and a
   hexadecimal digit read from a string in program memory.
   Results: squares[] = 0, 1, 4 ... 225, total = 1240, digit = 'A' (65). */
#include "sx28.h"

unsigned char squares[16];
long total;
unsigned char digit;
unsigned char done;

unsigned char hex_digit(unsigned char n)
{
    char *p;
    p = "0123456789ABCDEF";
    p = p + (n & 15);
    return *p;
}

unsigned char square_of(unsigned char n)
{
    return squares[n & 15];
}

/* In the global registers (08h-0Fh) a value is reached from every bank: storing it through
   FSR, which also selects the RAM bank, needs no bank selection around the store. */
unsigned char square @ 0x0A;
unsigned char step @ 0x0B;

void fill(void)
{
    unsigned char i;
    /* (i + 1)^2 = i^2 + 2i + 1: each square from the one before */
    square = 0;
    step = 1;
    for (i = 0; i < 16; i++) {
        squares[i] = square;
        square = square + step;
        step = step + 2;
    }
}

void main(void)
{
    unsigned char i;
    fill();
    total = 0;
    for (i = 0; i < 16; i++)
        total = total + square_of(i);
    digit = hex_digit(10);
    done = 1;
    while (1)
        ;
}
