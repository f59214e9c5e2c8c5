/* 16-bit arithmetic: Fibonacci numbers up to the largest below 65536, a 16-bit product and
   quotient. Results: fib = 46368, product = 300 * 200 = 60000, quotient = 60000 / 7 = 8571,
   remainder = 3. */
#include "sx28.h"

unsigned long fib;
unsigned long product;
unsigned long quotient;
unsigned long remainder;
unsigned char done;

unsigned long largest_fibonacci(void)
{
    unsigned long a;
    unsigned long b;
    unsigned long next;
    a = 0;
    b = 1;
    while (b < 30000) {
        next = a + b;
        a = b;
        b = next;
    }
    return b;
}

void main(void)
{
    unsigned long x;
    unsigned long y;
    fib = largest_fibonacci();
    x = 300;
    y = 200;
    product = x * y;
    quotient = product / 7;
    remainder = product % 7;
    done = 1;
    while (1)
        ;
}
