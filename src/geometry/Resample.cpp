#include "geometry/Resample.h"
