// SPDX-License-Identifier: MIT
// The floor under a tool's start: a program that links what a tool links and does only what
// each run of that tool must do before its own work, for orlika-bench-startup to time beside
// the tools. Built twice: with Qt's core library alone (a QCoreApplication), and with Qt's GUI
// library (ORLIKA_FLOOR_GUI), where the argument says how far it goes:
//   link   nothing: what loading and binding the libraries costs
//   app    fontconfig and a QGuiApplication on the offscreen platform, started as the tools
//          start them (without fontconfig started, Qt's font database would start it only
//          to tear it down when the application ends)
//   font   and the cell's font measured on a 96-dpi page: Qt's font database and its first
//          font engine, which is all that orlika-info needs of Qt's GUI library
#include "tools/CommandLine.h"

#include <cstring>

#ifdef ORLIKA_FLOOR_GUI
#include "render/FontConfiguration.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#else
#include <QCoreApplication>
#endif

int main(int argc, char** argv)
{
#ifdef ORLIKA_FLOOR_GUI
    const char* stage = argc > 1 ? argv[1] : "font";
    if (std::strcmp(stage, "link") == 0)
        return 0;
    const bool font = std::strcmp(stage, "font") == 0;
    orlika::tools::useOffscreenPlatformUnlessSet();
    orlika::startFontconfig();
    QGuiApplication app(argc, argv);
    if (!font)
        return 0;
    QImage page(1, 1, QImage::Format_RGB32);
    page.setDotsPerMeterX(3780);
    page.setDotsPerMeterY(3780);
    const QFontMetrics metrics(QFont(QStringLiteral("Arial"), 8), &page);
    // Something the compiler cannot drop: the exit status says whether the font measured.
    return metrics.height() > 0 && metrics.horizontalAdvance(QStringLiteral("five.dst")) > 0 ? 0 : 1;
#else
    QCoreApplication app(argc, argv);
    return 0;
#endif
}
