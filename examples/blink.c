/* Blinker: toggles port B bit 0 with a software delay between the changes. */
#include "sx28.h"

#define DELAY 200

unsigned char portb @ 0x06;
unsigned char count;

void wait(void)
{
    count = DELAY;
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
