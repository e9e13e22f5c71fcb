// SPDX-License-Identifier: MIT
#include "decoders/DesignTrace.h"

#include <stdexcept>

namespace orlika {

DesignReading::DesignReading(const Decoding& decoding, DesignFile& file, const std::string& path, Design& design)
    : m_opened(decoding.open(file, path)), m_decoder(m_opened.get()), m_form(decoding.form), m_design(design)
{
}

DesignReading::DesignReading(DesignDecoder& decoder, const MovementForm& form, Design& design)
    : m_decoder(&decoder), m_form(form), m_design(design)
{
}

DesignReading::~DesignReading() = default;

bool DesignReading::accept()
{
    require(Stage::Opened, "the header");
    const bool accepted = m_decoder->readHeader(m_design);
    m_stage = accepted ? Stage::Accepted : Stage::Rejected;
    return accepted;
}

PenTrace DesignReading::measure()
{
    require(Stage::Accepted, "the sizing pass");
    m_decoder->measure(m_design);
    m_stage = Stage::Moving;
    return PenTrace(m_design, m_form);
}

std::span<const Movement> DesignReading::movementsOutOfMoving() const
{
    if (m_stage != Stage::Ended)
        throw std::logic_error("a design's movements asked for before its sizing pass");
    return {};
}

void DesignReading::leaveMovements()
{
    require(Stage::Moving, "leaving the movements");
    m_stage = Stage::Ended;
}

TraceEnd DesignReading::end() const
{
    if (m_stage == Stage::Rejected)
        return {TraceEnd::Kind::Rejected};
    require(Stage::Ended, "the end of the movements");
    if (const std::optional<std::string>& error = m_decoder->error())
        return {TraceEnd::Kind::Broken, *error};
    return {};
}

void DesignReading::readTrailer()
{
    if (!end().read())
        throw std::logic_error("a design's trailer asked for after its movements broke off");
    m_decoder->readTrailer(m_design);
}

void DesignReading::require(Stage stage, const char* step) const
{
    if (m_stage != stage)
        throw std::logic_error(std::string(step) + " of a design out of its order");
}

} // namespace orlika
