// SPDX-License-Identifier: MIT
#include "tools/designgen/PcdWriter.h"

#include <cmath>
#include <stdexcept>

namespace orlika::gen {

namespace {

void putLittleEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(std::uint8_t(value >> (8 * i)));
}

// 0.1 mm is 0.6 units of 1/6 mm; the field keeps 8 fraction bits.
std::int32_t field(int tenthsOfMillimetre)
{
    return std::int32_t(std::lround(tenthsOfMillimetre * 0.6 * 256.0));
}

} // namespace

std::array<std::uint8_t, 9> pcdRecord(std::int32_t x, std::int32_t y, std::uint8_t type)
{
    std::array<std::uint8_t, 9> r{};
    for (int i = 0; i < 4; ++i) {
        r[std::size_t(i)] = std::uint8_t(std::uint32_t(x) >> (8 * i));
        r[std::size_t(4 + i)] = std::uint8_t(std::uint32_t(y) >> (8 * i));
    }
    r[8] = type;
    return r;
}

std::vector<std::uint8_t> writePcd(const Design& design, const PcdOptions& options)
{
    std::vector<std::uint8_t> records;
    const auto put = [&](std::int32_t x, std::int32_t y, std::uint8_t type) {
        const auto r = pcdRecord(x, y, type);
        records.insert(records.end(), r.begin(), r.end());
    };
    long counted = 0;
    put(0, 0, 3);
    for (const Step& step : design.steps) {
        if (step.kind == Step::Kind::ColorChange) {
            put(step.thread, 0, 3);
            continue;
        }
        put(field(step.x), field(step.y), step.kind == Step::Kind::Jump ? 5 : 0);
        ++counted;
    }
    if (counted > 0xFFFF)
        throw std::length_error("a PCD design holds at most 65535 stitches");

    std::vector<std::uint8_t> file{0x32, options.tableByte};
    putLittleEndian(file, std::uint32_t(options.colors.size()), 2);
    if (options.tableByte > 1)
        for (const std::uint32_t color : options.colors)
            putLittleEndian(file, color, 4);
    putLittleEndian(file, std::uint32_t(counted), 2);
    file.insert(file.end(), records.begin(), records.end());
    file.push_back(0);
    file.insert(file.end(), options.note.begin(), options.note.end());
    return file;
}

} // namespace orlika::gen
