// SPDX-License-Identifier: MIT
// Writes the bundled sample designs: make-samples FOLDER
#include "tools/designgen/Design.h"
#include "tools/designgen/DstWriter.h"

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
