// SPDX-License-Identifier: MIT
#include "bench/support/DecodeBench.h"
#include "tools/designgen/XxxWriter.h"

namespace {

void XxxDecode(benchmark::State& state)
{
    static const auto bytes = orlika::gen::writeXxx(orlika::gen::makeSpiral(int(state.range(0)), 12));
    orlika::bench::runDecodeBenchmark(state, "spiral.xxx", bytes);
}
BENCHMARK(XxxDecode)->Arg(200000)->Unit(benchmark::kMillisecond);

} // namespace
