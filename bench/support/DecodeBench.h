// SPDX-License-Identifier: MIT
// Runs one reader over an in-memory design, as often as the benchmark asks: the decoder
// alone, the cell renderer alone (over movements decoded once), or both together as a page
// cell has them.
#pragma once

#include "bench/support/CountingCanvas.h"
#include "catalog/Catalog.h"
#include "cell/CellRenderer.h"
#include "decoders/DesignTrace.h"
#include "platform/HeadlessHost.h"
#include "platform/MemoryFile.h"
#include "platform/Rounding.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <span>
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

enum class Part { Both, Decoder, Renderer, Sizing, SizedFromMovements };

// The moves, jumps and stitches among movements.
inline long long placedMovements(std::span<const Movement> movements)
{
    return std::count_if(movements.begin(), movements.end(), [](const Movement& m) {
        return m.kind == Step::Stitch || m.kind == Step::Move || m.kind == Step::Jump;
    });
}

// What a sizing pass over the decoded movements finds, summed as the formats' own passes sum.
struct MovementExtents {
    float minX = 0, maxX = 0, minY = 0, maxY = 0;
    long long stitches = 0, colorChanges = 0;
};

inline MovementExtents sizeFromMovements(DesignReading& reading, const MovementForm& form)
{
    MovementExtents e;
    float x = 0, y = 0;
    for (auto batch = reading.next(); !batch.empty(); batch = reading.next()) {
        for (const Movement& m : batch) {
            if (m.kind == Step::ColorChange)
                ++e.colorChanges;
            if (m.kind != Step::Stitch && m.kind != Step::Move && m.kind != Step::Jump)
                continue;
            e.stitches += m.kind == Step::Stitch;
            x = form.positions ? m.x : toSingle(double(x) + m.x);
            y = form.positions ? m.y : toSingle(double(y) + m.y);
            e.minX = std::min(e.minX, x);
            e.maxX = std::max(e.maxX, x);
            e.minY = std::min(e.minY, y);
            e.maxY = std::max(e.maxY, y);
        }
    }
    return e;
}

/// Reads `bytes` as the file `name` once per iteration: into cell 1 of a 1000 x 600 page
/// (Both), through its decoder alone, replayed into the cell (Renderer), only its header
/// and sizing pass (Sizing), or that and then the movements sized as a pass over them
/// would size them (SizedFromMovements, less Sizing: what sizing from the movements would
/// cost); reports movements (moves and lines drawn, or moves, jumps and stitches decoded
/// or sized) per second.
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
    const long long sized = placedMovements(value.movements);
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
            Design design;
            DesignReading reading(reader.decoding, file, path, design);
            reading.accept();
            reading.measure();
            for (auto batch = reading.next(); !batch.empty(); batch = reading.next())
                movements += placedMovements(batch);
            break;
        }
        case Part::SizedFromMovements: {
            MemoryFile file(bytes);
            Design design;
            DesignReading reading(reader.decoding, file, path, design);
            reading.accept();
            reading.measure();
            const MovementExtents extents = sizeFromMovements(reading, reader.decoding.form);
            benchmark::DoNotOptimize(extents);
            movements += sized;
            break;
        }
        case Part::Sizing: {
            MemoryFile file(bytes);
            Design design;
            DesignReading reading(reader.decoding, file, path, design);
            reading.accept();
            reading.measure();
            benchmark::DoNotOptimize(design.bounds);
            movements += sized;
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
