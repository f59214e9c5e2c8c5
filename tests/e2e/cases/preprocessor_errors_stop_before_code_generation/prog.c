int a;
#if VERSION / 0
#endif
#include "missing.h"
int b;
