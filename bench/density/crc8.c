#include "density.h"
volatile u8 crc, data;
void update(u8 byte) { u8 i; crc ^= byte; for (i = 0; i < 8; i++) { if (crc & 0x80) crc = (crc << 1) ^ 0x07; else crc = crc << 1; } }
void main(void) { crc = 0; update(0x31); update(0x32); data = crc; }
