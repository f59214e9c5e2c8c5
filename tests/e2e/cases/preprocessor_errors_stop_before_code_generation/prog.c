int a;
#if X
#include "missing.h"
int b;
