// SPDX-License-Identifier: MIT
// orlika [--browse] [FILE]: the desktop catalog; a design file given opens its folder.
#include "app/Forms.h"
#include "app/Orlika.h"
#include "tools/ToolSupport.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

/// True when the command line asks for a text (help or version) that needs no window.
bool asksForText(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--")
            break;
        for (const std::string_view option : {"-h", "-?", "--help", "--help-all", "-v", "--version"})
            if (argument == option)
                return true;
    }
    return false;
}

/// True when Qt has a window system to connect to. Without one, making the application
/// object ends the process with an abort before the command line is even read.
bool windowSystemNamed(int argc, char** argv)
{
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        if (const char* value = std::getenv(name); value && *value)
            return true;
    // A Wayland session finds its default socket without WAYLAND_DISPLAY.
    if (const char* session = std::getenv("XDG_SESSION_TYPE"); session && std::string_view(session) == "wayland")
        return true;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "-platform" || argument == "--platform")
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    // Help, the version and a wrong command line are answered as the tools answer them,
    // on the offscreen platform: they open no window, so they work without a display.
    const bool windowSystem = windowSystemNamed(argc, argv);
    if (!windowSystem || asksForText(argc, argv)) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        orlika::tools::useOffscreenPlatformUnlessSet();
    }
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Shows and prints catalogs of machine-embroidery design files, a page at a time."));
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("A design file: its folder is shown from its first design."),
                                 QStringLiteral("[FILE]"));
    const QCommandLineOption browseOption(
        QStringLiteral("browse"),
        QStringLiteral("Shows the browse grid instead of the pages: of FILE's folder, or of FILE where it is a folder."));
    parser.addOption(browseOption);
    if (const auto status = orlika::tools::parseCommandLine(QStringLiteral("orlika"), parser, app.arguments()))
        return *status;
    if (!windowSystem) {
        std::fputs("orlika: no display to show the window on: neither DISPLAY nor WAYLAND_DISPLAY is set\n", stderr);
        return 1;
    }

    orlika::Forms forms = orlika::createForms();
    orlika::TForm1& form = *forms.Form1;
    // Without a window manager "maximised" means nothing, so take the screen's work area too.
    if (QScreen* screen = QGuiApplication::primaryScreen())
        form.setGeometry(screen->availableGeometry());
    form.showMaximized();

    const QStringList files = parser.positionalArguments();
    if (parser.isSet(browseOption)) {
        const QString folder = files.isEmpty() ? QString() : files.constFirst();
        QTimer::singleShot(0, &form, [&form, folder] { form.showBrowse(folder); });
    } else if (!files.isEmpty()) {
        const QString file = files.constFirst();
        QTimer::singleShot(0, &form, [&form, file] { form.openFile(file); });
    }
    return app.exec();
}
