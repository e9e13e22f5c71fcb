// SPDX-License-Identifier: MIT
// orlika [FILE]: the desktop catalog; a design file given opens its folder.
#include "app/Forms.h"
#include "app/Orlika.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    orlika::Forms forms = orlika::createForms();
    orlika::TForm1& form = *forms.Form1;
    // Without a window manager "maximised" means nothing, so take the screen's work area too.
    if (QScreen* screen = QGuiApplication::primaryScreen())
        form.setGeometry(screen->availableGeometry());
    form.showMaximized();

    const QStringList args = QApplication::arguments();
    if (args.size() > 1) {
        const QString file = args.at(1);
        QTimer::singleShot(0, &form, [&form, file] { form.openFile(file); });
    }
    return app.exec();
}
