// SPDX-License-Identifier: MIT
#include "encoders/Encoder.h"
#include "encoders/Pec.h"
#include "encoders/Writers.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace orlika {

namespace {

// The longest step of each format's record, per axis, in tenths of a millimetre.
const std::array kEncoders{
    Encoder{"DST", "Tajima DST", 0, {121, 121}, ThreadKeeping::Nothing, false, writers::writeDst},
    Encoder{"EXP", "Melco EXP", 0, {127, 127}, ThreadKeeping::Nothing, false, writers::writeExp},
    // A PEC stitch stays within -254..254, which its reader draws as a line; a move is a
    // long part of up to 2047.
    Encoder{"PES", "Brother PES version 1", 1, {254, 2047}, ThreadKeeping::BrotherChart, false, writers::writePes1,
            pec::travelReadsAsStitch},
    // Its reader shows the PEC section's chart threads; version 6 also lists each thread
    // as the design names it.
    Encoder{"PES", "Brother PES version 6", 6, {254, 2047}, ThreadKeeping::BrotherChart, false, writers::writePes6,
            pec::travelReadsAsStitch},
    Encoder{"PEC", "Brother PEC", 0, {254, 2047}, ThreadKeeping::BrotherChart, false, writers::writePec,
            pec::travelReadsAsStitch},
    Encoder{"JEF", "Janome JEF", 0, {127, 127}, ThreadKeeping::JanomeChart, true, writers::writeJef},
    // A VP3 move is a long step after a trim: every jump reads back with a trim before it.
    Encoder{"VP3", "Husqvarna Viking / Pfaff VP3", 0, {127, 32767}, ThreadKeeping::AsGiven, false, writers::writeVp3},
    Encoder{"XXX", "Singer XXX", 0, {124, 32767}, ThreadKeeping::AsGiven, true, writers::writeXxx},
};

bool sameExtension(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
           });
}

} // namespace

std::span<const Encoder> encoders()
{
    return kEncoders;
}

const Encoder* encoderFor(std::string_view extension, int version)
{
    if (!extension.empty() && extension.front() == '.')
        extension.remove_prefix(1);
    for (const Encoder& encoder : kEncoders)
        if (sameExtension(encoder.extension, extension) && (version == 0 || version == encoder.version))
            return &encoder;
    return nullptr;
}

} // namespace orlika
