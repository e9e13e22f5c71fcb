// SPDX-License-Identifier: MIT
// The device a QPdfWriter of ours writes to. It passes the document on to the file and
// gives each page's content stream back its lines (see PdfLines.h): the stream Qt
// compressed is inflated, its markers replaced by the page's polylines, and the whole
// compressed again by libdeflate at a low level on another thread while the next page is
// drawn. The stream's length object and the cross-reference table are corrected for the
// new lengths. Everything else Qt wrote passes unchanged.
#pragma once

#include "render/PdfLines.h"

#include <QIODevice>

#include <cstdint>
#include <future>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace orlika {

class PdfLineSplicer : public QIODevice {
public:
    /// Passes the document on to `target` (open for writing), with the lines of `lines`.
    PdfLineSplicer(QIODevice& target, PdfPageLines& lines);
    ~PdfLineSplicer() override;
    PdfLineSplicer(const PdfLineSplicer&) = delete;
    PdfLineSplicer& operator=(const PdfLineSplicer&) = delete;

    bool isSequential() const override { return true; }
    /// Why the document could not be passed on so far, or empty.
    const std::string& problem() const { return m_problem; }
    /// After Qt ended the document: the reason in words when it did not all go to the
    /// target, or empty.
    std::string finish();

protected:
    qint64 readData(char* data, qint64 maxLength) override;
    qint64 writeData(const char* data, qint64 length) override;

private:
    enum class Mode { Tokens, StreamOfKnownLength, StreamToItsLength, CrossReferences };

    // A stretch of the document Qt wrote, replaced by one of a different length.
    struct Replaced {
        std::int64_t end = 0;    // where it ended in Qt's document
        std::int64_t shift = 0;  // how much later everything after it lies now
    };
    // A page's content stream in work on the other thread, and what followed it.
    struct PageInWork {
        std::future<std::string> stream;
        std::int64_t streamBegin = 0;
        std::int64_t streamEnd = 0;
        std::string betweenLengths;  // "\nendstream\nendobj\nN 0 obj\n"
        std::int64_t lengthBegin = 0;
        std::int64_t lengthEnd = 0;
        std::string after;
    };

    void scan();
    bool scanToken();
    void onToken(std::size_t begin, std::size_t end);
    bool startStream(std::size_t dataBegin);
    bool scanStreamOfKnownLength();
    bool scanStreamToItsLength();
    bool scanCrossReferences();
    void streamFound(std::size_t end, std::size_t lengthBegin, std::size_t lengthEnd);
    void replace(std::size_t begin, std::size_t end, const std::string& text);
    void passOn(std::size_t upTo);
    void output(const char* data, std::size_t size);
    void writeToTarget(const char* data, std::size_t size);
    void finishPageInWork();
    std::int64_t newOffset(std::int64_t offset) const;
    void fail(std::string reason);

    QIODevice& m_target;
    PdfPageLines& m_lines;
    std::string m_problem;

    // Qt's bytes not yet passed on; m_in[0] is at m_inOffset in Qt's document.
    std::string m_in;
    std::int64_t m_inOffset = 0;
    std::size_t m_passed = 0;  // passed on up to here
    std::size_t m_scan = 0;    // understood up to here

    Mode m_mode = Mode::Tokens;
    // The last tokens, newest last: enough for "/Length 12 0 R" and "12 0 obj".
    std::vector<std::string> m_tokens;
    std::int64_t m_object = -1;
    std::int64_t m_length = -1;
    std::int64_t m_lengthObject = -1;
    std::set<std::int64_t> m_contentObjects;
    bool m_newStartXref = false;
    bool m_ended = false;

    std::size_t m_streamBegin = 0;
    std::size_t m_searchFrom = 0;
    std::int64_t m_streamLeft = 0;
    std::int64_t m_streamLengthObject = -1;
    bool m_streamIsContent = false;
    int m_crossReferenceNumbersLeft = 0;
    bool m_crossReferencesStarted = false;
    std::int64_t m_crossReferencesLeft = 0;

    std::optional<PageInWork> m_inWork;
    std::vector<Replaced> m_replaced;
};

} // namespace orlika
