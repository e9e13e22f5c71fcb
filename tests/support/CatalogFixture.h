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

inline void setLayout(CatalogState& s, Layout layout)
{
    struct Row {
        int columns, rows;
        bool thumbnails, noRemarks;
    };
    constexpr Row rows[] = {{3, 2, false, false}, {3, 2, false, true}, {4, 3, true, false},
                            {5, 4, true, false},  {6, 5, true, false}, {1, 1, false, false}};
    const Row& r = rows[int(layout)];
    s.PageColumns = std::uint16_t(r.columns);
    s.PageRows = std::uint16_t(r.rows);
    s.Thumbnails = r.thumbnails;
    s.NoRemarks = r.noRemarks;
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
    }
};

} // namespace orlika::test
