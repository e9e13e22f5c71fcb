// SPDX-License-Identifier: MIT
#include "collection/IndexedDesign.h"

#include "catalog/DesignPaths.h"
#include "collection/ContentHash.h"
#include "collection/Fingerprint.h"
#include "decoders/DesignTrace.h"
#include "decoders/Registry.h"
#include "decoders/SewingTally.h"
#include "decoders/StitchFigures.h"
#include "platform/FileSystem.h"

namespace orlika {

namespace {

std::string threadLabel(const Thread& thread)
{
    if (thread.code.empty())
        return thread.name;
    return thread.name.empty() ? thread.code : thread.name + " " + thread.code;
}

// The stitches as a pen follows them, into the figures, the sewing's tally and the
// fingerprint; nothing is kept. They count in the design's unit, which its header gives.
struct FiguresAndFingerprint : DesignTracer {
    explicit FiguresAndFingerprint(const Design& design) : design(design) {}
    void measured(const PenTrace&)
    {
        figures.emplace(design.unit);
        sewing.emplace(design.unit);
        fingerprint.emplace(design.unit);
    }
    void step(const Movement& movement, PenTrace::Effect effect, const PenTrace& pen)
    {
        figures->take(effect, pen);
        sewing->take(movement, effect, pen);
        fingerprint->take(movement, pen);
    }

    const Design& design;
    std::optional<StitchFigures> figures;
    std::optional<SewingTally> sewing;
    std::optional<Fingerprinter> fingerprint;
};

} // namespace

std::string designFormat(const std::string& fileName)
{
    const std::string extension = extensionPart(fileName);
    return upperCase(extension.empty() ? std::string() : extension.substr(1));
}

std::string IndexedDesign::designPath() const
{
    return entry.empty() ? path : archiveEntryPath(path, entry);
}

void readDesignFigures(DesignFile& file, const std::string& path, IndexedDesign& design)
{
    design.format = designFormat(design.name);
    const Reader* reader = readerOfName(design.name);
    if (!reader) {
        design.error = "no reader reads this name";
        return;
    }
    try {
        Design read;
        FiguresAndFingerprint traced(read);
        const TraceEnd end = traceDesign(reader->decoding, file, path, read, Trailer::Read, traced);
        if (end.kind == TraceEnd::Kind::Rejected) {
            design.error = read.rejection ? read.rejection->cellText : "not a design of its format";
            return;
        }
        if (end.kind == TraceEnd::Kind::Broken) {
            design.error = end.problem;
            return;
        }
        const StitchFigures& figures = *traced.figures;
        design.widthMm = figures.widthMm();
        design.heightMm = figures.heightMm();
        design.stitches = figures.stitches();
        design.colorChanges = figures.colorChanges();
        design.sewing = traced.sewing->counts();
        for (const Thread& thread : read.threads)
            design.threads.push_back({threadLabel(thread), thread.color & 0x00FFFFFF});
        design.fingerprint = traced.fingerprint->value();
        design.contentHash = contentHash(file);
    } catch (const InOutError& error) {
        design.error = error.what();
    } catch (const ConversionError& error) {
        design.error = error.what();
    }
}

} // namespace orlika
