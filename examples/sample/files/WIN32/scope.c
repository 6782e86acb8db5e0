/* Shows a live trace of channel 0. */
#include <windows.h>
#include "zydaq.h"
