// SPDX-License-Identifier: MIT
// The program's windows, made in the order the program starts them.
#pragma once

#include <memory>

namespace orlika {

class TForm1;
class TAboutBox;
class TTitleDlg;
class TForm2;
class TFileListFr;

struct Forms {
    std::unique_ptr<TForm1> Form1;
    // Owned by Form1 (their parent), they live until the program ends.
    TAboutBox* AboutBox = nullptr;
    TTitleDlg* TitleDlg = nullptr;
    TForm2* Form2 = nullptr;
    TFileListFr* FileListFr = nullptr;
};

/// Names the program ORLIKA, then makes the main window, then the about box, the title dialog, the copy/move dialog and
/// the listing window.
Forms createForms();

} // namespace orlika
