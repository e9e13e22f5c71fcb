// SPDX-License-Identifier: MIT
#include "bench/support/DecodeBench.h"
#include "tools/designgen/PcdWriter.h"

namespace {

void PcdDecode(benchmark::State& state, orlika::bench::Part part)
{
    const int stitches = int(state.range(0));
    static const auto bytes = orlika::gen::writePcd(orlika::gen::makeSpiral(stitches, 12),
                                                    {3, {0x000000FF, 0x0000FF00, 0x00FF0000}, ""});
    orlika::bench::runDecodeBenchmark(state, "spiral.pcs", bytes, part);
    // Every record is read twice (sizing, then drawing); this counts records decoded
    // end to end, each with both its passes.
    // The file: 4 header bytes, 3 colours, the stitch count, the records and one unused byte.
    const double records = double((bytes.size() - 4 - 3 * 4 - 2 - 1) / 9);
    state.counters["records/s"] = benchmark::Counter(records * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK_CAPTURE(PcdDecode, Both, orlika::bench::Part::Both)->Arg(65000)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(PcdDecode, DecoderAlone, orlika::bench::Part::Decoder)->Arg(65000)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(PcdDecode, RendererAlone, orlika::bench::Part::Renderer)->Arg(65000)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(PcdDecode, SizingAlone, orlika::bench::Part::Sizing)->Arg(65000)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(PcdDecode, SizedFromMovements, orlika::bench::Part::SizedFromMovements)->Arg(65000)->Unit(benchmark::kMicrosecond);

} // namespace
