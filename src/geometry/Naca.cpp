#include "geometry/Naca.h"
