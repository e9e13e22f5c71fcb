// SPDX-License-Identifier: MIT
#include "tools/designgen/Encoded.h"

#include <stdexcept>
#include <string>

namespace orlika::gen {

namespace {

/// The design's steps as a needle path: positions as they are, y turned to grow downward.
class DesignSteps final : public NeedleStream {
public:
    explicit DesignSteps(const Design& design) : m_design(design) {}
    bool next(Needle& needle) override
    {
        if (m_at > m_design.steps.size())
            return false;
        if (m_at == m_design.steps.size()) {
            ++m_at;
            needle = {Needle::Kind::End, m_x, m_y, 0};
            return true;
        }
        const Step& step = m_design.steps[m_at++];
        switch (step.kind) {
        case Step::Kind::Stitch:
        case Step::Kind::Jump:
            m_x = step.x;
            m_y = -step.y;
            needle = {step.kind == Step::Kind::Stitch ? Needle::Kind::Stitch : Needle::Kind::Jump, m_x, m_y, 0};
            return true;
        case Step::Kind::ColorChange:
            needle = {Needle::Kind::ColorChange, m_x, m_y, kPenKept};
            return true;
        }
        return false;
    }

private:
    const Design& m_design;
    std::size_t m_at = 0;
    std::int32_t m_x = 0, m_y = 0;
};

} // namespace

std::vector<std::uint8_t> encodeDesign(const Design& design, std::string_view extension, int version,
                                       std::vector<BlockThread> threads, std::string_view label)
{
    const Encoder* encoder = encoderFor(extension, version);
    if (!encoder || threads.empty())
        throw std::logic_error("no writer for " + std::string(extension));
    DesignSteps forSummary(design);
    SplitNeedles splitForSummary(forSummary, encoder->limits);
    const NeedleSummary summary = summarize(splitForSummary, threads.front().color);
    while (threads.size() < summary.blockColors.size())
        threads.push_back(threads.back());
    const WriteOptions options{std::string(label), DstTrims::ThreeJumps};
    VectorSink sink;
    DesignSteps forWriting(design);
    SplitNeedles split(forWriting, encoder->limits);
    encoder->write({summary, threads, options}, split, sink);
    return sink.take();
}

} // namespace orlika::gen
