// SPDX-License-Identifier: MIT
#include "app/Forms.h"

#include "app/AboutBox.h"
#include "app/Filemove.h"
#include "app/FormFileList.h"
#include "app/Orlika.h"
#include "app/Prttitle.h"

#include <QApplication>

namespace orlika {

Forms createForms()
{
    QApplication::setApplicationName(QStringLiteral("ORLIKA"));
    Forms forms;
    forms.Form1 = std::make_unique<TForm1>();
    forms.AboutBox = new TAboutBox(forms.Form1.get());
    forms.TitleDlg = new TTitleDlg(forms.Form1.get());
    forms.Form2 = new TForm2(forms.Form1.get());
    forms.FileListFr = new TFileListFr(forms.Form1.get());
    forms.Form1->setWindows(forms.AboutBox, forms.TitleDlg, forms.Form2, forms.FileListFr);
    return forms;
}

} // namespace orlika
