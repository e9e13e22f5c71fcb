// SPDX-License-Identifier: MIT
// A catalog wired to a scripted host, an in-memory folder and a recording canvas.
#pragma once

#include "catalog/Catalog.h"
#include "platform/MemoryFile.h"
#include "tests/support/MemoryFileSystem.h"
#include "tests/support/RecordingCanvas.h"
#include "tests/support/ScriptedHost.h"

#include <gtest/gtest.h>

namespace orlika::test {

enum class Layout { Standard, NoRemarks, Thumb12, Thumb20, Thumb30, Enlarged };

inline PageLayout pageLayout(Layout layout)
{
    switch (layout) {
    case Layout::Standard: return layouts::kStandard;
    case Layout::NoRemarks: return layouts::kStandardWithoutRemarks;
    case Layout::Thumb12: return layouts::kThumbnails12;
    case Layout::Thumb20: return layouts::kThumbnails20;
    case Layout::Thumb30: return layouts::kThumbnails30;
    case Layout::Enlarged: return layouts::kEnlarged;
    }
    return layouts::kStandard;
}

inline void setLayout(CatalogState& s, Layout layout)
{
    applyLayout(s, pageLayout(layout));
}

class CatalogFixture : public ::testing::Test {
protected:
    ScriptedHost host;
    MemoryFileSystem files;
    RecordingCanvas canvas;
    Catalog catalog{host, files};
    CatalogState& s = catalog.state();

    CatalogFixture() { catalog.setMainCanvas(&canvas); }

    /// Decodes one design into cell 1 of a 1000 x 600 screen page in the layout.
    Catalog::DecodedDesign decode(const std::string& name, std::vector<std::uint8_t> bytes,
                                  Layout layout = Layout::Standard)
    {
        setLayout(s, layout);
        catalog.prepareScreenPage(canvas, 1000, 600);
        canvas.clear();
        return catalog.decodeFile(canvas, "/designs/" + name, std::make_unique<MemoryFile>(std::move(bytes)));
    }

    /// Puts files named in the folder /designs/ (contents optional) and opens the first
    /// chosen one as "Open at Beginning" would, on screen.
    void openFolder(const std::string& chosen, bool fromBeginning = true,
                    FilterIndex filterIndex = FilterIndex::AllSupported)
    {
        s.OpenDialog1.FileName = "/designs/" + chosen;
        s.OpenDialog1.FilterIndex = filterIndex;
        catalog.GetFileTypes();
        s.OpenFileName = s.OpenDialog1.FileName;
        s.FromBeginning = fromBeginning;
        s.UseDialogList = false;
        catalog.View(canvas, false);
        catalog.runToEnd([&] { host.answerWait(); });
    }
};

} // namespace orlika::test
