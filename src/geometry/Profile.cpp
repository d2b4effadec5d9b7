#include "geometry/Profile.h"
