// SPDX-License-Identifier: MIT
// HUS and VIP: the three compressed sections expanded side by side, twice (sizing, drawing).
#include "bench/support/DecodeBench.h"
#include "tools/designgen/HusWriter.h"
#include "tools/designgen/VipWriter.h"

namespace {

void HusDecode(benchmark::State& state)
{
    static const auto bytes = orlika::gen::writeHus(orlika::gen::makeSpiral(int(state.range(0)), 12));
    orlika::bench::runDecodeBenchmark(state, "spiral.hus", bytes);
}
BENCHMARK(HusDecode)->Arg(200000)->Unit(benchmark::kMillisecond);

void VipDecode(benchmark::State& state)
{
    static const auto bytes = orlika::gen::writeVip(orlika::gen::makeSpiral(int(state.range(0)), 12));
    orlika::bench::runDecodeBenchmark(state, "spiral.vip", bytes);
}
BENCHMARK(VipDecode)->Arg(200000)->Unit(benchmark::kMillisecond);

} // namespace
