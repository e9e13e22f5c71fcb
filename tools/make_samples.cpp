// SPDX-License-Identifier: MIT
// Writes the bundled sample designs: make-samples FOLDER
#include "decoders/JefThreads.h"
#include "decoders/PecThreads.h"
#include "tools/designgen/ByteOut.h"
#include "tools/designgen/Design.h"
#include "tools/designgen/Encoded.h"
#include "tools/designgen/DstWriter.h"
#include "tools/designgen/ExpWriter.h"
#include "tools/designgen/KsmWriter.h"
#include "tools/designgen/SewWriter.h"
#include "tools/designgen/PesWriter.h"
#include "tools/designgen/PcdWriter.h"
#include "tools/designgen/JefWriter.h"
#include "tools/designgen/Vp3Writer.h"
#include "tools/designgen/XxxWriter.h"
#include "tools/designgen/HusWriter.h"
#include "tools/designgen/VipWriter.h"
#include "tools/designgen/ShvWriter.h"

#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

bool writeFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

// The design with other thread numbers (for the Brother chart's colours).
orlika::gen::Design withThreads(orlika::gen::Design design, std::vector<int> threads)
{
    design.threads = std::move(threads);
    return design;
}

std::vector<orlika::gen::Vp3Thread> starVp3Threads()
{
    return {{0xF0D020, "1023", "Sun Yellow", "ORLIKA Rayon 40"}, {0xC02020, "1147", "Poppy Red", "ORLIKA Rayon 40"}};
}

std::vector<orlika::gen::Vp3Thread> circleVp3Threads()
{
    return {{0x2050C0, "1076", "Royal Blue", "ORLIKA Rayon 40"}, {0xF0F0F0, "1001", "White", "ORLIKA Rayon 40"}};
}

using orlika::BlockThread;

/// Each block's thread as a charted format names it: the design's thread numbers are the
/// chart's indices.
std::vector<BlockThread> chartThreads(const orlika::gen::Design& design, bool brother)
{
    std::vector<BlockThread> threads;
    for (const int index : orlika::gen::threadsInSewingOrder(design)) {
        BlockThread thread;
        thread.chartIndex = index;
        thread.color = thread.chartColor = brother ? orlika::threadChart().color(index) & 0x00FFFFFF
                                                   : orlika::jef::chartThread(std::uint32_t(index)).color;
        threads.push_back(thread);
    }
    return threads;
}

/// Each block's colour, the design's thread numbers being 0xRRGGBB values.
std::vector<BlockThread> rgbThreads(const orlika::gen::Design& design)
{
    std::vector<BlockThread> threads;
    for (const int rgb : orlika::gen::threadsInSewingOrder(design)) {
        BlockThread thread;
        thread.color = orlika::rgb(std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb));
        threads.push_back(thread);
    }
    return threads;
}

std::vector<BlockThread> vp3Threads(const orlika::gen::Design& design, const std::vector<orlika::gen::Vp3Thread>& listed)
{
    std::vector<BlockThread> threads;
    for (const int slot : orlika::gen::threadsInSewingOrder(design)) {
        const orlika::gen::Vp3Thread& t = listed.at(std::size_t(slot));
        threads.push_back({orlika::rgb(std::uint8_t(t.rgb >> 16), std::uint8_t(t.rgb >> 8), std::uint8_t(t.rgb)), t.name,
                           t.catalogNumber, t.brand, 0, orlika::Black});
    }
    return threads;
}

Bytes written(const orlika::gen::Design& design, std::string_view extension, std::vector<BlockThread> threads,
              std::string_view label, int version = 0)
{
    return orlika::gen::encodeDesign(design, extension, version, std::move(threads), label);
}

struct Sample {
    const char* fileName;
    std::function<Bytes()> make;
};

std::vector<Sample> samples()
{
    using namespace orlika::gen;
    return {
        {"orlika-text.dst", [] { return written(makeTextOutline("ORLIKA", 240), "DST", {BlockThread{}}, "orlika-text"); }},
        {"star.dst", [] { return written(makeStar(400), "DST", {BlockThread{}}, "star"); }},
        {"circle.dst", [] { return written(makeFilledCircle(300), "DST", {BlockThread{}}, "circle"); }},
        {"sewing-words.dst", [] { return written(makeTextOutline("SEW WITH ME", 120), "DST", {BlockThread{}}, "sewing-words"); }},
        {"star.pes", [] { const auto d = withThreads(makeStar(400), {13, 5}); return written(d, "PES", chartThreads(d, true), "star", 1); }},
        {"circle.pec", [] { const auto d = withThreads(makeFilledCircle(300), {32, 21}); return written(d, "PEC", chartThreads(d, true), "circle"); }},
        {"orlika.pes", [] { const auto d = withThreads(makeTextOutline("ORLIKA", 240), {5, 12, 13, 37, 2, 30}); return written(d, "PES", chartThreads(d, true), "orlika", 1); }},
        {"sewing-words.pec", [] { const auto d = makeTextOutline("SEW WITH ME", 120); return written(d, "PEC", chartThreads(d, true), "sewing-words"); }},
        {"spiral-threads.pes", [] { const auto d = makeSpiral(4000, 14); return written(d, "PES", chartThreads(d, true), "spiral-threads", 1); }},
        {"star.pcs", [] { return writePcd(makeStar(400), {3, {0x0000C0FF, 0x000000B0}, ""}); }},
        {"circle-note.pcd",
         [] {
             return writePcd(makeFilledCircle(300),
                             {3, {0x00C85000, 0x003C9600},
                              "CIRCLE.BMP Filled circle sewn in satin rows, then outlined in a second colour; "
                              "hoop 100 x 100 mm, cotton thread no. 40"});
         }},
        {"orlika.pcq",
         [] {
             return writePcd(makeTextOutline("ORLIKA", 240),
                             {3,
                              {0x000000D0, 0x000090E0, 0x0000A000, 0x00C08000, 0x00A00060, 0x00404040},
                              "Monogram ORLIKA"});
         }},
        {"star.ksm", [] { return writeKsm(makeStar(400)); }},
        {"circle.ksm", [] { return writeKsm(makeFilledCircle(300)); }},
        {"star.exp", [] { return written(makeStar(400), "EXP", {BlockThread{}}, "star"); }},
        {"orlika.exp", [] { return written(makeTextOutline("ORLIKA", 240), "EXP", {BlockThread{}}, "orlika"); }},
        {"circle.sew", [] { return writeSew(makeFilledCircle(300), {10, 30}); }},
        {"orlika.sew", [] { return writeSew(makeTextOutline("ORLIKA", 240), {10, 4, 6, 12, 8, 30}); }},
        // Janome chart: 3 Yellow, 10 Red; 12 Blue, 2 White.
        {"star.jef", [] { const auto d = withThreads(makeStar(400), {3, 10}); return written(d, "JEF", chartThreads(d, false), "star"); }},
        {"circle.jef", [] { const auto d = withThreads(makeFilledCircle(300), {12, 2}); return written(d, "JEF", chartThreads(d, false), "circle"); }},
        {"star.vp3", [] { const auto d = withThreads(makeStar(400), {0, 1}); return written(d, "VP3", vp3Threads(d, starVp3Threads()), "star"); }},
        {"circle.vp3", [] { const auto d = withThreads(makeFilledCircle(300), {0, 1}); return written(d, "VP3", vp3Threads(d, circleVp3Threads()), "circle"); }},
        {"star.xxx", [] { const auto d = withThreads(makeStar(400), {0xF0D020, 0xC02020}); return written(d, "XXX", rgbThreads(d), "star"); }},
        {"circle.xxx", [] { const auto d = withThreads(makeFilledCircle(300), {0x2050C0, 0xF0F0F0}); return written(d, "XXX", rgbThreads(d), "circle"); }},
        // HUS and SHV tables: 5 Yellow, 3 Red; 1 Blue, 12 White.
        {"star.hus", [] { return writeHus(withThreads(makeStar(400), {5, 3})); }},
        {"circle.hus", [] { return writeHus(withThreads(makeFilledCircle(300), {1, 12})); }},
        {"star.vip", [] { return writeVip(withThreads(makeStar(400), {0xF0D020, 0xC02020})); }},
        {"circle.vip", [] { return writeVip(withThreads(makeFilledCircle(300), {0x2050C0, 0xF0F0F0})); }},
        {"star.shv", [] { return writeShv(withThreads(makeStar(400), {5, 3})); }},
        {"circle.shv", [] { return writeShv(withThreads(makeFilledCircle(300), {1, 12})); }},
    };
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-samples FOLDER\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    for (const auto& sample : samples()) {
        if (!writeFile(folder + sample.fileName, sample.make())) {
            std::fprintf(stderr, "make-samples: cannot write %s%s\n", folder.c_str(), sample.fileName);
            return 1;
        }
    }
    return 0;
}
