#include "geometry/Section.h"
