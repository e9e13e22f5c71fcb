// SPDX-License-Identifier: MIT
#include "bench/support/DecodeBench.h"
#include "tools/designgen/KsmWriter.h"

namespace {

void KsmDecode(benchmark::State& state)
{
    static const auto bytes = orlika::gen::writeKsm(orlika::gen::makeSpiral(int(state.range(0)), 12));
    orlika::bench::runDecodeBenchmark(state, "spiral.ksm", bytes);
}
BENCHMARK(KsmDecode)->Arg(200000)->Unit(benchmark::kMillisecond);

} // namespace
