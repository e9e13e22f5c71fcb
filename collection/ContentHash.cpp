// SPDX-License-Identifier: MIT
#include "collection/ContentHash.h"

#include <xxhash.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace orlika {

namespace {

struct StateFree {
    void operator()(XXH3_state_t* state) const { XXH3_freeState(state); }
};

} // namespace

std::string contentHash(DesignFile& file)
{
    const std::unique_ptr<XXH3_state_t, StateFree> state(XXH3_createState());
    if (!state || XXH3_128bits_reset(state.get()) != XXH_OK)
        throw InOutError("no memory to hash the file");
    file.seek(0);
    std::vector<std::uint8_t> block(64 * 1024);
    for (std::size_t got; (got = file.read(block)) > 0;)
        XXH3_128bits_update(state.get(), block.data(), got);
    const XXH128_hash_t hash = XXH3_128bits_digest(state.get());
    char text[33];
    std::snprintf(text, sizeof text, "%016llx%016llx", static_cast<unsigned long long>(hash.high64),
                  static_cast<unsigned long long>(hash.low64));
    return text;
}

} // namespace orlika
