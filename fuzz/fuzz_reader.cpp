// SPDX-License-Identifier: MIT
// libFuzzer entry: one reader (chosen by the file name this target is built with) on the
// input bytes, in every layout, under the invariants of fuzz/Invariants.h. A violation
// is printed and aborts, so that the fuzzer keeps the input as a finding.
#include "fuzz/Invariants.h"

#include <cstdio>
#include <cstdlib>

#ifndef ORLIKA_FUZZ_FILE_NAME
#error "build each fuzz target with ORLIKA_FUZZ_FILE_NAME set to a design file name"
#endif

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace orlika;
    static const Reader* const reader = readerOfName(ORLIKA_FUZZ_FILE_NAME);
    if (!reader)
        std::abort();
    const auto violations = fuzz::checkReader(*reader, ORLIKA_FUZZ_FILE_NAME, {data, size});
    for (const fuzz::Violation& violation : violations)
        std::fprintf(stderr, "INVARIANT %s\n", fuzz::describe(violation).c_str());
    if (!violations.empty())
        std::abort();
    return 0;
}
