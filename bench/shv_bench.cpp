// SPDX-License-Identifier: MIT
#include "bench/support/DecodeBench.h"
#include "tools/designgen/ShvWriter.h"

namespace {

void ShvDecode(benchmark::State& state, orlika::bench::Part part)
{
    static const auto bytes = orlika::gen::writeShv(orlika::gen::makeSpiral(int(state.range(0)), 12));
    orlika::bench::runDecodeBenchmark(state, "spiral.shv", bytes, part);
}
BENCHMARK_CAPTURE(ShvDecode, Both, orlika::bench::Part::Both)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ShvDecode, DecoderAlone, orlika::bench::Part::Decoder)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ShvDecode, RendererAlone, orlika::bench::Part::Renderer)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ShvDecode, SizingAlone, orlika::bench::Part::Sizing)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ShvDecode, SizedFromMovements, orlika::bench::Part::SizedFromMovements)->Arg(200000)->Unit(benchmark::kMillisecond);

} // namespace
