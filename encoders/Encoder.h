// SPDX-License-Identifier: MIT
// The writers: one row per format written (encoders/Encoders.cpp), each with its file
// extension, the limits of its records, what it keeps of threads and trims, and its
// writer, which is fed the needle path and never parses a file.
#pragma once

#include "encoders/ByteSink.h"
#include "encoders/Needles.h"

#include <span>
#include <string>
#include <string_view>

namespace orlika {

/// A colour block's thread: as the design names it and, for a format that indexes a fixed
/// chart, the chart's thread nearest to it.
struct BlockThread {
    Color color = Black;    // 0x00BBGGRR
    std::string name;       // "" where none is known
    std::string code;       // the catalogue number, "" where none is known
    std::string brand;
    int chartIndex = 0;     // the nearest thread's index in the format's chart, where it has one
    Color chartColor = Black;
};

/// What a format keeps of a colour block's thread.
enum class ThreadKeeping : std::uint8_t {
    Nothing,       // DST, EXP: the machine asks for the next thread
    BrotherChart,  // an index of the Brother chart
    JanomeChart,   // an index of the Janome chart
    AsGiven,       // the colour, and the name and code where the format holds them
};

/// How a DST trim is written: three jumps of no length, which trimming machines read
/// as a cut, or not at all.
enum class DstTrims : std::uint8_t { ThreeJumps, None };

struct WriteOptions {
    std::string label;                 // the design's name, for the headers that hold one
    DstTrims dstTrims = DstTrims::ThreeJumps;
};

/// What a writer is told before the records: the summary of the path it is fed (already
/// cut to its limits) and the thread of each colour block.
struct WriteInput {
    const NeedleSummary& summary;
    std::span<const BlockThread> threads;
    const WriteOptions& options;
};

struct Encoder {
    std::string_view extension;  // upper case, no dot: "PES"
    std::string_view name;       // for lists and messages: "PES version 1"
    int version = 0;             // the version written, where the format has several
    StepLimits limits;
    ThreadKeeping threads = ThreadKeeping::Nothing;
    bool keepsTrims = false;     // a trim reads back as a trim
    /// Writes the file; a design the format cannot hold throws ConversionFailure.
    void (*write)(const WriteInput& input, NeedleStream& needles, ByteSink& out) = nullptr;
    /// Where the format's reader takes a travel this short for a stitch (it cannot tell
    /// them apart), the test of its step; null where every travel reads back as one.
    bool (*travelReadsAsStitch)(std::int32_t dx, std::int32_t dy) = nullptr;
};

/// Every writer, in the order lists show them.
std::span<const Encoder> encoders();
/// The writer of an extension (any case, with or without the dot) and version (0: the
/// format's first row); null when none writes it.
const Encoder* encoderFor(std::string_view extension, int version = 0);

} // namespace orlika
