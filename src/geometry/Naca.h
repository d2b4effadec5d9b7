#pragma once

#include <optional>
#include <string_view>

#include "geometry/Profile.h"

namespace orva {

// A NACA four-digit airfoil ("2412": 2 % camber at 40 % chord, 12 % thick),
// with cosine spacing, in canonical (Selig) order, named "NACA 2412".
// Returns nothing when `digits` is not four decimal digits or the thickness is 0.
std::optional<Profile> MakeNaca4(std::string_view digits, int pointsPerSurface = 100);

}  // namespace orva
