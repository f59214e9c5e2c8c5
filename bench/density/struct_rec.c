#include "density.h"
struct point { u8 x; u8 y; };
volatile struct point p, q;
volatile u8 d;
void main(void) { p.x = 3; p.y = 4; q.x = p.x + 10; q.y = p.y * 2; if (q.x > q.y) d = q.x - q.y; else d = q.y - q.x; }
