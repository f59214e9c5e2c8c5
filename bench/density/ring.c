#include "density.h"
volatile u8 buf[8];
volatile u8 head, tail, got;
void put(u8 v) { buf[head] = v; head = (head + 1) & 7; }
u8 get(void) { u8 v; v = buf[tail]; tail = (tail + 1) & 7; return v; }
void main(void) { head = 0; tail = 0; put(5); put(9); got = get(); got += get(); }
