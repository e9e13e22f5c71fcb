// SPDX-License-Identifier: MIT
// A printer that records the document's steps and draws on a recording canvas.
#pragma once

#include "platform/Host.h"
#include "tests/support/RecordingCanvas.h"

namespace orlika::test {

class RecordingPrinter : public Printer {
public:
    RecordingCanvas page;
    std::vector<std::string> steps;
    int width = 9583;
    int height = 13699;
    bool isPortrait = true;
    int resolution = 1200;
    bool open = false;
    int pages = 0;

    int pageWidth() const override { return width; }
    int pageHeight() const override { return height; }
    bool portrait() const override { return isPortrait; }
    int dpiX() const override { return resolution; }
    int dpiY() const override { return resolution; }
    // What goes wrong, for failure tests.
    bool declineBegin = false;   // the user declines the PDF file name
    bool failBegin = false;      // the document cannot start
    bool failEnd = false;        // the service refuses the finished document

    bool beginDoc() override
    {
        steps.push_back("BeginDoc");
        if (declineBegin)
            return false;
        if (failBegin)
            throw PrintError("Cannot print to /no/such/folder/catalog.pdf: the folder /no/such/folder does not exist.");
        open = true;
        pages = 1;
        return true;
    }
    void newPage() override
    {
        steps.push_back("NewPage");
        ++pages;
    }
    void endDoc() override
    {
        steps.push_back("EndDoc");
        open = false;
        if (failEnd)
            throw PrintError("Cannot print to the printer refuser: the printer service did not accept the document.");
    }
    bool printing() const override { return open; }
    Canvas& canvas() override { return page; }
};

} // namespace orlika::test
