/* Toggles port B bit 0 with a software delay. */
#include "sx28.h"

unsigned char portb @ 0x06;
unsigned char count;

void wait(void)
{
    count = 200;
    while (count)
        count--;
}

void main(void)
{
    while (1) {
        portb = portb ^ 1;
        wait();
    }
}
