// SPDX-License-Identifier: MIT
#include "bench/support/DecodeBench.h"
#include "tools/designgen/JefWriter.h"

namespace {

void JefDecode(benchmark::State& state)
{
    static const auto bytes = orlika::gen::writeJef(orlika::gen::makeSpiral(int(state.range(0)), 12));
    orlika::bench::runDecodeBenchmark(state, "spiral.jef", bytes);
}
BENCHMARK(JefDecode)->Arg(200000)->Unit(benchmark::kMillisecond);

} // namespace
