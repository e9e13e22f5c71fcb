// SPDX-License-Identifier: MIT
// orlika [FILE]: the desktop catalog; a design file given opens its folder.
#include "app/Forms.h"
#include "app/Orlika.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QScreen>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("orlika"));
    QApplication::setApplicationVersion(QStringLiteral(ORLIKA_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Shows and prints catalogs of machine-embroidery design files, a page at a time."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("A design file: its folder is shown from its first design."),
                                 QStringLiteral("[FILE]"));
    parser.process(app);

    orlika::Forms forms = orlika::createForms();
    orlika::TForm1& form = *forms.Form1;
    // Without a window manager "maximised" means nothing, so take the screen's work area too.
    if (QScreen* screen = QGuiApplication::primaryScreen())
        form.setGeometry(screen->availableGeometry());
    form.showMaximized();

    const QStringList files = parser.positionalArguments();
    if (!files.isEmpty()) {
        const QString file = files.constFirst();
        QTimer::singleShot(0, &form, [&form, file] { form.openFile(file); });
    }
    return app.exec();
}
