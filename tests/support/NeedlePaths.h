// SPDX-License-Identifier: MIT
// Needle paths written out needle by needle, for feeding writers designs no file holds.
#pragma once

#include "encoders/Needles.h"

#include <vector>

namespace orlika::test {

class ListedNeedles final : public NeedleStream {
public:
    explicit ListedNeedles(std::vector<Needle> needles) : m_needles(std::move(needles)) {}
    bool next(Needle& needle) override
    {
        if (m_at == m_needles.size())
            return false;
        needle = m_needles[m_at++];
        return true;
    }

private:
    std::vector<Needle> m_needles;
    std::size_t m_at = 0;
};

inline Needle stitch(std::int32_t x, std::int32_t y) { return {Needle::Kind::Stitch, x, y, 0}; }
inline Needle jump(std::int32_t x, std::int32_t y) { return {Needle::Kind::Jump, x, y, 0}; }
inline Needle trim() { return {Needle::Kind::Trim, 0, 0, 0}; }
/// A change to the next thread, its colour the reader's business.
inline Needle change() { return {Needle::Kind::ColorChange, 0, 0, kPenKept}; }

} // namespace orlika::test
