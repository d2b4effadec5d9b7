#include "geometry/CoordinateFile.h"
