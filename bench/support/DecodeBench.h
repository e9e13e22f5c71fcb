// SPDX-License-Identifier: MIT
// Runs one reader over an in-memory design, as often as the benchmark asks.
#pragma once

#include "bench/support/CountingCanvas.h"
#include "catalog/Catalog.h"
#include "platform/HeadlessHost.h"
#include "platform/MemoryFile.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace orlika::bench {

/// Decodes `bytes` as the file `name` into cell 1 of a 1000 x 600 page, once per
/// iteration, and reports movements (moves + lines) per second.
inline void runDecodeBenchmark(benchmark::State& state, const std::string& name, const std::vector<std::uint8_t>& bytes)
{
    HeadlessHost host;
    PosixFileSystem files;
    Catalog catalog(host, files);
    CountingCanvas canvas;
    catalog.setMainCanvas(&canvas);
    catalog.prepareScreenPage(canvas, 1000, 600);
    long long movements = 0;
    for (auto _ : state) {
        catalog.state().CellNo = 1;
        const long long before = canvas.moves + canvas.lines;
        catalog.decodeFile(canvas, "/bench/" + name, std::make_unique<MemoryFile>(bytes));
        movements += canvas.moves + canvas.lines - before;
    }
    benchmark::DoNotOptimize(canvas.checksum);
    state.counters["movements/s"] = benchmark::Counter(double(movements), benchmark::Counter::kIsRate);
    state.SetBytesProcessed(std::int64_t(bytes.size()) * state.iterations());
}

} // namespace orlika::bench
