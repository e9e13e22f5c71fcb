// SPDX-License-Identifier: MIT
// Writes the bundled sample designs: make-samples FOLDER
#include "tools/designgen/Design.h"
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

struct Sample {
    const char* fileName;
    std::function<Bytes()> make;
};

std::vector<Sample> samples()
{
    using namespace orlika::gen;
    return {
        {"orlika-text.dst", [] { return writeDst(makeTextOutline("ORLIKA", 240)); }},
        {"star.dst", [] { return writeDst(makeStar(400)); }},
        {"circle.dst", [] { return writeDst(makeFilledCircle(300)); }},
        {"sewing-words.dst", [] { return writeDst(makeTextOutline("SEW WITH ME", 120)); }},
        {"star.pes", [] { return writePes(withThreads(makeStar(400), {13, 5})); }},
        {"circle.pec", [] { return writePec(withThreads(makeFilledCircle(300), {32, 21})); }},
        {"orlika.pes", [] { return writePes(withThreads(makeTextOutline("ORLIKA", 240), {5, 12, 13, 37, 2, 30})); }},
        {"sewing-words.pec", [] { return writePec(makeTextOutline("SEW WITH ME", 120)); }},
        {"spiral-threads.pes", [] { return writePes(makeSpiral(4000, 14)); }},
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
        {"star.exp", [] { return writeExp(makeStar(400)); }},
        {"orlika.exp", [] { return writeExp(makeTextOutline("ORLIKA", 240)); }},
        {"circle.sew", [] { return writeSew(makeFilledCircle(300), {10, 30}); }},
        {"orlika.sew", [] { return writeSew(makeTextOutline("ORLIKA", 240), {10, 4, 6, 12, 8, 30}); }},
        // Janome chart: 3 Yellow, 10 Red; 12 Blue, 2 White.
        {"star.jef", [] { return writeJef(withThreads(makeStar(400), {3, 10})); }},
        {"circle.jef", [] { return writeJef(withThreads(makeFilledCircle(300), {12, 2})); }},
        {"star.vp3", [] { return writeVp3(withThreads(makeStar(400), {0, 1}), starVp3Threads()); }},
        {"circle.vp3", [] { return writeVp3(withThreads(makeFilledCircle(300), {0, 1}), circleVp3Threads()); }},
        {"star.xxx", [] { return writeXxx(withThreads(makeStar(400), {0xF0D020, 0xC02020})); }},
        {"circle.xxx", [] { return writeXxx(withThreads(makeFilledCircle(300), {0x2050C0, 0xF0F0F0})); }},
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
