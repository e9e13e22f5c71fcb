// SPDX-License-Identifier: MIT
#include "bench/support/DecodeBench.h"
#include "tools/designgen/DstWriter.h"

namespace {

void DstDecode(benchmark::State& state)
{
    static const auto bytes = orlika::gen::writeDst(orlika::gen::makeSpiral(int(state.range(0)), 12));
    orlika::bench::runDecodeBenchmark(state, "spiral.dst", bytes);
}
BENCHMARK(DstDecode)->Arg(200000)->Unit(benchmark::kMillisecond);

} // namespace
