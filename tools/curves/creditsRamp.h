#pragma once

// The colour ramp the credits are lit by, as the curve the program samples into its
// "cubeTex" texture: eight segments from night blue through rose and amber to white.

#include <vector>

#include "tools/curves/curveWriter.h"

namespace curves {

std::vector<CurveObject> CreditsCurves();

}  // namespace curves
