/* Timer interrupt: RTCC counts instruction cycles through a prescaler of 1:256 and
   interrupts at each rollover; the interrupt routine counts ticks and toggles port B bit 0
   every 4 ticks. main waits until 10 ticks have passed. Results: ticks = 10, toggles = 2,
   port B bit 0 = 0. */
#include "sx28.h"

#pragma INTERRUPT_LOC 0

unsigned char portb @ 0x06;
unsigned char ticks;
unsigned char toggles;
unsigned char done;

void __interrupt(void)
{
    ticks++;
    if ((ticks & 3) == 0) {
        portb = portb ^ 1;
        toggles++;
    }
}

void main(void)
{
    ticks = 0;
    toggles = 0;
    portb = 0;
    /* Port B all outputs; RTCC from the instruction clock, prescaler 1:256, rollover
       interrupt enabled (RTE_IE clear). */
    asm(
        mov w, #0
        mov !rb, w
        mov w, #135
        mov !option, w
    );
    while (ticks < 10)
        ;
    /* RTE_IE set: no more interrupts, the results stay. */
    asm(
        mov w, #199
        mov !option, w
    );
    done = 1;
    while (1)
        ;
}
