// SPDX-License-Identifier: MIT
#include "bench/support/DecodeBench.h"
#include "tools/designgen/KsmWriter.h"

namespace {

void KsmDecode(benchmark::State& state, orlika::bench::Part part)
{
    static const auto bytes = orlika::gen::writeKsm(orlika::gen::makeSpiral(int(state.range(0)), 12));
    orlika::bench::runDecodeBenchmark(state, "spiral.ksm", bytes, part);
}
BENCHMARK_CAPTURE(KsmDecode, Both, orlika::bench::Part::Both)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KsmDecode, DecoderAlone, orlika::bench::Part::Decoder)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KsmDecode, RendererAlone, orlika::bench::Part::Renderer)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KsmDecode, SizingAlone, orlika::bench::Part::Sizing)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KsmDecode, SizedFromMovements, orlika::bench::Part::SizedFromMovements)->Arg(200000)->Unit(benchmark::kMillisecond);

} // namespace
