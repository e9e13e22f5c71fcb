// SPDX-License-Identifier: MIT
// HUS and VIP: the three compressed sections expanded side by side by the sizing pass and
// kept for drawing (200,000 records: below the length that expands them again).
#include "bench/support/DecodeBench.h"
#include "tools/designgen/HusWriter.h"
#include "tools/designgen/VipWriter.h"

namespace {

void HusDecode(benchmark::State& state, orlika::bench::Part part)
{
    static const auto bytes = orlika::gen::writeHus(orlika::gen::makeSpiral(int(state.range(0)), 12));
    orlika::bench::runDecodeBenchmark(state, "spiral.hus", bytes, part);
}
BENCHMARK_CAPTURE(HusDecode, Both, orlika::bench::Part::Both)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(HusDecode, DecoderAlone, orlika::bench::Part::Decoder)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(HusDecode, RendererAlone, orlika::bench::Part::Renderer)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(HusDecode, SizingAlone, orlika::bench::Part::Sizing)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(HusDecode, SizedFromMovements, orlika::bench::Part::SizedFromMovements)->Arg(200000)->Unit(benchmark::kMillisecond);

void VipDecode(benchmark::State& state, orlika::bench::Part part)
{
    static const auto bytes = orlika::gen::writeVip(orlika::gen::makeSpiral(int(state.range(0)), 12));
    orlika::bench::runDecodeBenchmark(state, "spiral.vip", bytes, part);
}
BENCHMARK_CAPTURE(VipDecode, Both, orlika::bench::Part::Both)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(VipDecode, DecoderAlone, orlika::bench::Part::Decoder)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(VipDecode, RendererAlone, orlika::bench::Part::Renderer)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(VipDecode, SizingAlone, orlika::bench::Part::Sizing)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(VipDecode, SizedFromMovements, orlika::bench::Part::SizedFromMovements)->Arg(200000)->Unit(benchmark::kMillisecond);

} // namespace
