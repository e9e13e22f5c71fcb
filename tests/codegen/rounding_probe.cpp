// SPDX-License-Identifier: MIT
// Compiled to assembly by the rounding_needs_no_call test: the readers round two
// coordinates a stitch, and a call into the C library for each costs more than the rest
// of the stitch.
#include "platform/Rounding.h"

int roundingProbeDouble(double value)
{
    return orlika::roundPixel(value);
}

int roundingProbeFloat(float value)
{
    return orlika::roundPixel(value);
}
