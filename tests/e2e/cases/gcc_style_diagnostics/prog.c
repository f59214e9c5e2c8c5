#pragma BANK_START_00 16
#pragma BANK_END_00 31
char c;
void main(void) {
    c = 300;
    d = 1;
    break;
}
