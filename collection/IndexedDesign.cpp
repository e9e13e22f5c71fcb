// SPDX-License-Identifier: MIT
#include "collection/IndexedDesign.h"

#include "catalog/DesignPaths.h"
#include "collection/ContentHash.h"
#include "collection/Fingerprint.h"
#include "decoders/PenTrace.h"
#include "decoders/Registry.h"
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
        const auto decoder = reader->decoding.open(file, path);
        Design read;
        if (!decoder->readHeader(read)) {
            design.error = read.rejection ? read.rejection->cellText : "not a design of its format";
            return;
        }
        decoder->measure(read);
        // The stitches as a pen follows them, into the figures and the fingerprint; nothing
        // is kept.
        PenTrace pen(read, reader->decoding.rule->placement);
        StitchFigures figures(read.unit);
        Fingerprinter fingerprint(read.unit);
        for (auto batch = decoder->next(); !batch.empty(); batch = decoder->next()) {
            for (const Movement& movement : batch) {
                figures.take(pen.follow(movement), pen);
                fingerprint.take(movement, pen);
            }
        }
        if (decoder->error()) {
            design.error = *decoder->error();
            return;
        }
        decoder->readTrailer(read);
        design.widthMm = figures.widthMm();
        design.heightMm = figures.heightMm();
        design.stitches = figures.stitches();
        design.colorChanges = figures.colorChanges();
        for (const Thread& thread : read.threads)
            design.threads.push_back({threadLabel(thread), thread.color & 0x00FFFFFF});
        design.fingerprint = fingerprint.value();
        design.contentHash = contentHash(file);
    } catch (const InOutError& error) {
        design.error = error.what();
    } catch (const ConversionError& error) {
        design.error = error.what();
    }
}

} // namespace orlika
