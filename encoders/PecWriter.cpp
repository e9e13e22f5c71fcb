// SPDX-License-Identifier: MIT
// Brother PEC: "#PEC0001" and the PEC section, which is all a machine reads of a PES file
// (docs/formats/pes.md).
#include "encoders/Pec.h"
#include "encoders/Writers.h"

namespace orlika::writers {

void writePec(const WriteInput& input, NeedleStream& needles, ByteSink& out)
{
    out.putText("#PEC0001");
    pec::Section section(input, out);
    pec::walk(needles, {&section});
    section.finish();
}

} // namespace orlika::writers
