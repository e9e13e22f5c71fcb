// SPDX-License-Identifier: MIT
#include "bench/support/DecodeBench.h"
#include "tools/designgen/PesWriter.h"

namespace {

void PesDecode(benchmark::State& state)
{
    static const auto bytes = orlika::gen::writePes(orlika::gen::makeSpiral(int(state.range(0)), 12));
    orlika::bench::runDecodeBenchmark(state, "spiral.pes", bytes);
}
BENCHMARK(PesDecode)->Arg(200000)->Unit(benchmark::kMillisecond);

void PecDecode(benchmark::State& state)
{
    static const auto bytes = orlika::gen::writePec(orlika::gen::makeSpiral(int(state.range(0)), 12));
    orlika::bench::runDecodeBenchmark(state, "spiral.pec", bytes);
}
BENCHMARK(PecDecode)->Arg(200000)->Unit(benchmark::kMillisecond);

} // namespace
