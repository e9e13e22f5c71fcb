// SPDX-License-Identifier: MIT
#include "decoders/Vip.h"

#include "decoders/Hus.h"

namespace orlika {

namespace vip {

namespace {

bool vipSignature(std::uint32_t signature)
{
    return signature == kSignature;
}

// Four scrambled bytes per colour at 46; the stitch sections lie behind them.
std::int64_t vipColorSectionEnd(std::uint32_t colors)
{
    return kColorsOffset + 4 * std::int64_t(colors);
}

// The colours are not read: without the key their bytes say nothing (see the note).
void readVipThreads(ByteCursor& /*cursor*/, const hus::Header& header, std::vector<Thread>& threads)
{
    for (std::uint32_t i = 0; i < header.colors; ++i)
        threads.push_back({unknownThreadColor(i), {}, {}});
}

const hus::Variant kVip{"VIP", &vipSignature, &vipColorSectionEnd, &readVipThreads};

std::unique_ptr<DesignDecoder> open(DesignFile& file, const std::string& path)
{
    return hus::openDecoder(file, path, kVip);
}

} // namespace

const hus::Variant& variant()
{
    return kVip;
}

Color unknownThreadColor(std::size_t position)
{
    // DST's pen steps through entries 0..16; entry 17 (white) would not show on the page.
    return penColors()[position % 17];
}

} // namespace vip

// The movements: steps, y up as the format stores it; the pen starts in the first thread's
// colour.
const Decoding VIPFormat{&vip::open, {.positions = false, .yUp = true, .startsInColor = true}};

} // namespace orlika
