// SPDX-License-Identifier: MIT
#include "bench/support/DecodeBench.h"
#include "tools/designgen/XxxWriter.h"

namespace {

void XxxDecode(benchmark::State& state, orlika::bench::Part part)
{
    static const auto bytes = orlika::gen::writeXxx(orlika::gen::makeSpiral(int(state.range(0)), 12));
    orlika::bench::runDecodeBenchmark(state, "spiral.xxx", bytes, part);
}
BENCHMARK_CAPTURE(XxxDecode, Both, orlika::bench::Part::Both)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(XxxDecode, DecoderAlone, orlika::bench::Part::Decoder)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(XxxDecode, RendererAlone, orlika::bench::Part::Renderer)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(XxxDecode, SizingAlone, orlika::bench::Part::Sizing)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(XxxDecode, SizedFromMovements, orlika::bench::Part::SizedFromMovements)->Arg(200000)->Unit(benchmark::kMillisecond);

} // namespace
