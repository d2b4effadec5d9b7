#include "geometry/SectionBuilder.h"
