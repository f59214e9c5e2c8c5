// chip description
#pragma ROM_END 0x7FF
#define PORTB 6
#replace RB PORTB
