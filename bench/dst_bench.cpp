// SPDX-License-Identifier: MIT
#include "bench/support/DecodeBench.h"
#include "tools/designgen/DstWriter.h"

namespace {

void DstDecode(benchmark::State& state, orlika::bench::Part part)
{
    static const auto bytes = orlika::gen::writeDst(orlika::gen::makeSpiral(int(state.range(0)), 12));
    orlika::bench::runDecodeBenchmark(state, "spiral.dst", bytes, part);
}
BENCHMARK_CAPTURE(DstDecode, Both, orlika::bench::Part::Both)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DstDecode, DecoderAlone, orlika::bench::Part::Decoder)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DstDecode, RendererAlone, orlika::bench::Part::Renderer)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DstDecode, SizingAlone, orlika::bench::Part::Sizing)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DstDecode, SizedFromMovements, orlika::bench::Part::SizedFromMovements)->Arg(200000)->Unit(benchmark::kMillisecond);

} // namespace
