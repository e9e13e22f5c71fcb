// SPDX-License-Identifier: MIT
// Runs one reader over an in-memory design, as often as the benchmark asks: the decoder
// alone, the cell renderer alone (over movements decoded once), or both together as a page
// cell has them.
#pragma once

#include "bench/support/CountingCanvas.h"
#include "catalog/Catalog.h"
#include "cell/CellRenderer.h"
#include "platform/HeadlessHost.h"
#include "platform/MemoryFile.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

namespace orlika::bench {

// Hands out a design read before, in batches as a decoder does: the renderer's own cost.
class ReplayDecoder final : public DesignDecoder {
public:
    explicit ReplayDecoder(const DesignValue& value) : m_value(value) {}
    bool readHeader(Design& design) override
    {
        design = m_value.design;
        return m_value.accepted;
    }
    void measure(Design&) override {}

protected:
    void decodeMore(MovementBatch& batch) override
    {
        for (; m_next < m_value.movements.size() && batch.room() > 0; ++m_next) {
            const Movement& m = m_value.movements[m_next];
            batch.push(m.kind, m.x, m.y, m.color);
        }
    }

private:
    const DesignValue& m_value;
    std::size_t m_next = 0;
};

enum class Part { Both, Decoder, Renderer };

/// Reads `bytes` as the file `name` once per iteration: into cell 1 of a 1000 x 600 page
/// (Both), through its decoder alone, or replayed into the cell (Renderer); reports
/// movements (moves and lines drawn, or moves, jumps and stitches decoded) per second.
inline void runDecodeBenchmark(benchmark::State& state, const std::string& name, const std::vector<std::uint8_t>& bytes,
                               Part part = Part::Both)
{
    HeadlessHost host;
    PosixFileSystem files;
    Catalog catalog(host, files);
    CountingCanvas canvas;
    catalog.setMainCanvas(&canvas);
    catalog.prepareScreenPage(canvas, 1000, 600);
    const std::string path = "/bench/" + name;
    const Reader& reader = *readerOfName(name);
    MemoryFile once(bytes);
    const DesignValue value = collectDesign(reader.decoding, once, path);
    long long movements = 0;
    for (auto _ : state) {
        catalog.state().CellNo = 1;
        const long long before = canvas.moves + canvas.lines;
        switch (part) {
        case Part::Both:
            catalog.decodeFile(canvas, path, std::make_unique<MemoryFile>(bytes));
            movements += canvas.moves + canvas.lines - before;
            break;
        case Part::Decoder: {
            MemoryFile file(bytes);
            const auto decoder = reader.decoding.open(file, path);
            Design design;
            decoder->readHeader(design);
            decoder->measure(design);
            for (auto batch = decoder->next(); !batch.empty(); batch = decoder->next())
                movements += std::count_if(batch.begin(), batch.end(), [](const Movement& m) {
                    return m.kind == Step::Stitch || m.kind == Step::Move || m.kind == Step::Jump;
                });
            break;
        }
        case Part::Renderer: {
            ReplayDecoder replay(value);
            catalog.state().DesignPath = path;
            CellContext cell = catalog.cellContext(canvas);
            drawDecodedCell(cell, reader, replay, {});
            movements += canvas.moves + canvas.lines - before;
            break;
        }
        }
    }
    benchmark::DoNotOptimize(canvas.checksum);
    state.counters["movements/s"] = benchmark::Counter(double(movements), benchmark::Counter::kIsRate);
    state.SetBytesProcessed(std::int64_t(bytes.size()) * state.iterations());
}

} // namespace orlika::bench
