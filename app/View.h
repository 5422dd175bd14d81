// The worksheet view lives with the worksheet's settings (its zoom and scroll are saved in the
// worksheet file); this header keeps the old include working.
#pragma once
#include "worksheet/View.h"
