// SPDX-License-Identifier: MIT
#include "bench/support/DecodeBench.h"
#include "tools/designgen/ExpWriter.h"
#include "tools/designgen/SewWriter.h"

namespace {

void ExpDecode(benchmark::State& state)
{
    static const auto bytes = orlika::gen::writeExp(orlika::gen::makeSpiral(int(state.range(0)), 12));
    orlika::bench::runDecodeBenchmark(state, "spiral.exp", bytes);
}
BENCHMARK(ExpDecode)->Arg(200000)->Unit(benchmark::kMillisecond);

void SewDecode(benchmark::State& state)
{
    static const auto bytes = orlika::gen::writeSew(orlika::gen::makeSpiral(int(state.range(0)), 12));
    orlika::bench::runDecodeBenchmark(state, "spiral.sew", bytes);
}
BENCHMARK(SewDecode)->Arg(200000)->Unit(benchmark::kMillisecond);

} // namespace
