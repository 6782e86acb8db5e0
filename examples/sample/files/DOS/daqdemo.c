/* Reads channel 0 through the DOS driver interface. */
#include "zydaq.h"
int main(void) { return zy_read(0) < 0; }
