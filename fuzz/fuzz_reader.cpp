// SPDX-License-Identifier: MIT
// libFuzzer entry: one reader (chosen by the file name this target is built with) on
// the input bytes, in the layouts whose text and drawing paths differ.
#include "catalog/Catalog.h"
#include "platform/HeadlessHost.h"
#include "platform/MemoryFile.h"
#include "platform/NullCanvas.h"

#include <cstdlib>
#include <cstdio>

#ifndef ORLIKA_FUZZ_FILE_NAME
#error "build each fuzz target with ORLIKA_FUZZ_FILE_NAME set to a design file name"
#endif

namespace {

using namespace orlika;

// Counts and checks what reaches the canvas; faults abort so the fuzzer keeps the input.
class CheckingCanvas final : public NullCanvas {
public:
    void moveTo(int x, int y) override { check(x, y); }
    void lineTo(int x, int y) override { check(x, y); }
    void textOut(int x, int y, const std::string&) override { check(x, y); }

private:
    static void check(int x, int y)
    {
        if (std::abs(x) > (1 << 30) || std::abs(y) > (1 << 30))
            std::abort();
    }
};

struct Layout {
    std::uint16_t columns, rows;
    bool thumbnails, noRemarks;
};

constexpr Layout kLayouts[] = {{3, 2, false, false}, {1, 1, false, false}, {4, 3, true, false}, {6, 5, true, false},
                               {3, 2, false, true}};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    for (const Layout& layout : kLayouts) {
        HeadlessHost host;
        PosixFileSystem files;
        Catalog catalog(host, files);
        auto& s = catalog.state();
        s.PageColumns = layout.columns;
        s.PageRows = layout.rows;
        s.Thumbnails = layout.thumbnails;
        s.NoRemarks = layout.noRemarks;
        CheckingCanvas canvas;
        catalog.setMainCanvas(&canvas);
        catalog.prepareScreenPage(canvas, 1000, 600);
        try {
            catalog.decodeFile(canvas, "/fuzz/" ORLIKA_FUZZ_FILE_NAME, std::make_unique<MemoryFile>(data, size));
        } catch (const ConversionError&) {
            // reported to the user as the run's error: expected for a header number that is none
        }
        if (canvas.penColor() != Black)
            std::abort();
    }
    return 0;
}
