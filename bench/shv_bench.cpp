// SPDX-License-Identifier: MIT
#include "bench/support/DecodeBench.h"
#include "tools/designgen/ShvWriter.h"

namespace {

void ShvDecode(benchmark::State& state)
{
    static const auto bytes = orlika::gen::writeShv(orlika::gen::makeSpiral(int(state.range(0)), 12));
    orlika::bench::runDecodeBenchmark(state, "spiral.shv", bytes);
}
BENCHMARK(ShvDecode)->Arg(200000)->Unit(benchmark::kMillisecond);

} // namespace
