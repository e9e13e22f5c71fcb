// SPDX-License-Identifier: MIT
#include "bench/support/DecodeBench.h"
#include "tools/designgen/Vp3Writer.h"

namespace {

void Vp3Decode(benchmark::State& state, orlika::bench::Part part)
{
    // The spiral's threads are numbered 1 to 12: one packet thread each, and one for slot 0.
    std::vector<orlika::gen::Vp3Thread> threads;
    for (std::uint32_t i = 0; i <= 12; ++i)
        threads.push_back({0x101010u * i, std::to_string(1000 + i), "Thread " + std::to_string(i), "Bench"});
    static const auto bytes = orlika::gen::writeVp3(orlika::gen::makeSpiral(int(state.range(0)), 12), threads);
    orlika::bench::runDecodeBenchmark(state, "spiral.vp3", bytes, part);
}
BENCHMARK_CAPTURE(Vp3Decode, Both, orlika::bench::Part::Both)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Vp3Decode, DecoderAlone, orlika::bench::Part::Decoder)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Vp3Decode, RendererAlone, orlika::bench::Part::Renderer)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Vp3Decode, SizingAlone, orlika::bench::Part::Sizing)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Vp3Decode, SizedFromMovements, orlika::bench::Part::SizedFromMovements)->Arg(200000)->Unit(benchmark::kMillisecond);

} // namespace
