// SPDX-License-Identifier: MIT
// Melco EXP: 2-byte records of a signed step of at most 127 units on each axis (y up; -128
// is the control byte 0x80). A jump is 80 04 and the step; a colour change 80 01 00 00.
// The file has no header and simply ends (docs/formats/exp.md).
#include "encoders/Writers.h"

#include <array>
#include <cstdlib>

namespace orlika::writers {

namespace {

constexpr std::uint8_t kControl = 0x80;
constexpr std::uint8_t kColorChangeCode = 0x01;
constexpr std::uint8_t kJumpCode = 0x04;

void putStep(ByteSink& out, std::int64_t dx, std::int64_t dy)
{
    if (std::max(std::llabs(dx), std::llabs(dy)) > 127)
        throw std::logic_error("an EXP step longer than a record");
    const std::array bytes{std::uint8_t(std::int8_t(dx)), std::uint8_t(std::int8_t(dy))};
    out.append(bytes);
}

} // namespace

void writeExp(const WriteInput& /*input*/, NeedleStream& needles, ByteSink& out)
{
    std::int32_t x = 0, y = 0;
    Needle needle;
    while (needles.next(needle) && needle.kind != Needle::Kind::End) {
        switch (needle.kind) {
        case Needle::Kind::Jump:
            out.put(kControl);
            out.put(kJumpCode);
            [[fallthrough]];
        case Needle::Kind::Stitch:
            putStep(out, std::int64_t(needle.x) - x, std::int64_t(y) - needle.y);
            break;
        case Needle::Kind::ColorChange: {
            const std::array<std::uint8_t, 4> change{kControl, kColorChangeCode, 0, 0};
            out.append(change);
            break;
        }
        case Needle::Kind::Trim:  // the records have no trim; the jump after it travels
        case Needle::Kind::End:
            break;
        }
        if (needle.kind == Needle::Kind::Stitch || needle.kind == Needle::Kind::Jump) {
            x = needle.x;
            y = needle.y;
        }
    }
}

} // namespace orlika::writers
