#include "density.h"
volatile u8 state, input, out;
void step(void) {
    switch (state) {
    case 0: if (input) state = 1; break;
    case 1: out = 1; state = 2; break;
    case 2: out = 0; state = 0; break;
    default: state = 0;
    }
}
void main(void) { u8 i; state = 0; input = 1; for (i = 0; i < 6; i++) step(); }
