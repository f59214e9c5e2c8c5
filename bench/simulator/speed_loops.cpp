// The words of the two speed loops.
#include "bench/simulator/speed_loops.hpp"

namespace kavo::bench {

const SpeedLoop& aluLoop() {
    static const SpeedLoop loop = {"alu",
                                   {
                                       0x0C01, // MOV W,#1
                                       0x01F0, // ADD 10h,W
                                       0x01D1, // ADD W,11h
                                       0x00B2, // SUB 12h,W
                                       0x01B3, // XOR 13h,W
                                       0x0174, // AND 14h,W
                                       0x0135, // OR 15h,W
                                       0x0336, // RR 16h
                                       0x0377, // RL 17h
                                       0x02B8, // INC 18h
                                       0x00F9, // DEC 19h
                                       0x03BA, // SWAP 1Ah
                                       0x027B, // NOT 1Bh
                                       0x0208, // MOV W,08h
                                       0x01FC, // ADD 1Ch,W
                                       0x02FD, // DECSZ 1Dh
                                       0x0A00, // JMP 000h
                                       0x0A00, // JMP 000h
                                   }};
    return loop;
}

const SpeedLoop& callSkipLoop() {
    static const SpeedLoop loop = {"call-skip",
                                   {
                                       0x0C01, // 000 MOV W,#1
                                       0x0910, // 001 CALL 010h
                                       0x0710, // 002 SB 10h.0
                                       0x02B1, // 003 INC 11h
                                       0x0630, // 004 SNB 10h.1
                                       0x00F2, // 005 DEC 12h
                                       0x03F3, // 006 INCSZ 13h
                                       0x0A01, // 007 JMP 001h
                                       0x0A00, // 008 JMP 000h
                                       0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x0000,
                                       0x01F0, // 010 ADD 10h,W
                                       0x02F4, // 011 DECSZ 14h
                                       0x0800, // 012 RETW #0
                                       0x0801, // 013 RETW #1
                                   }};
    return loop;
}

} // namespace kavo::bench
