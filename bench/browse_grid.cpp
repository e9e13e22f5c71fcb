// SPDX-License-Identifier: MIT
// The browse grid in the real window over a folder of generated designs of about 3,000
// stitches (distinct files, so that each picture is made on its own), 128-pixel pictures
// in a 1600 x 1000 window; prints one JSON line:
//   show_ms             View > Browse until the window is back at its events (the folder
//                       is listed on the pool meanwhile)
//   list_ms             ... until the grid shows the folder's designs (an indexed tree's
//                       from the index first)
//   files_listed_ms     ... until the folder's files are listed too and the grid shows them
//   first_screen_ms     ... until every visible picture is drawn: cold (empty caches), then
//                       cached on disk (a second grid, memory empty), median of RUNS
//   frame_p50_ms/p99_ms a synchronous repaint per step while scrolling the whole grid,
//                       2/3 of a row a step (40 rows a second at 60 frames), pictures cold
//   cold_pictures_per_s pictures made from the designs on the thread pool
//   mean_stitches       of the designs read for read_ms (the first 50 of the grid)
//   read_ms, read_and_draw_ms  one picture on one thread: the design read, then read and drawn
//   search_ms           typing a pattern that leaves about 1 % of the designs, until the
//                       grid has painted them (median of RUNS)
//   rss_mb              the process with the folder listed
// With a FOLDER (the collection benchmark's tree), that tree is indexed first (index_ms)
// and browsed with its subfolders and archives; DESIGNS is then what it lists.
// Run it under Xvfb for a real window:
//   xvfb-run -a -s "-screen 0 1700x1100x24" build/bench/orlika-bench-browse [DESIGNS] [RUNS] [FOLDER]
#include "app/BrowseWindow.h"
#include "app/Forms.h"
#include "app/Orlika.h"
#include "collection/DesignIndex.h"
#include "sheet/DesignPicture.h"
#include "tools/designgen/Design.h"
#include "tools/designgen/DstWriter.h"

#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QListView>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace orlika;
using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, std::size_t(p * double(values.size())))];
}

void makeFolder(const QString& folder, int designs)
{
    for (int i = 0; i < designs; ++i) {
        // Spirals of a few sizes and colour counts: every file its own bytes.
        const auto bytes = gen::writeDst(gen::makeSpiral(2800 + i % 400, 2 + i % 5));
        char name[32];
        std::snprintf(name, sizeof name, "/d%05d.dst", i);
        std::ofstream out((folder + QString::fromLatin1(name)).toStdString(), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
}

/// True when every item in view has its picture (asking queues those that have none).
bool visiblePicturesDrawn(BrowseWindow& browse)
{
    QListView* grid = browse.grid();
    const QRect view = grid->viewport()->rect();
    const QSize cell = grid->gridSize();
    for (int y = cell.height() / 2; y < view.height(); y += cell.height())
        for (int x = cell.width() / 2; x < view.width(); x += cell.width()) {
            const QModelIndex index = grid->indexAt(QPoint(x, y));
            if (index.isValid() && index.data(BrowseModel::PictureRole).value<QImage>().isNull() &&
                !index.data(BrowseModel::PictureFailedRole).toBool())
                return false;
        }
    return true;
}

/// Runs the window's events for a millisecond, asleep between them as the window's own loop
/// is: polling for them would keep a core from the threads that list and draw, which run
/// below the window's priority.
void turnEvents()
{
    QEventLoop loop;
    QTimer::singleShot(1, &loop, &QEventLoop::quit);
    loop.exec();
}

/// Turns the window's events until the grid shows the first rows of the listing.
void untilRowsShown(BrowseWindow& browse)
{
    while (browse.model().rowCount() == 0 && browse.listing())
        turnEvents();
}

double untilVisibleDrawn(BrowseWindow& browse, Clock::time_point start)
{
    while (!visiblePicturesDrawn(browse))
        turnEvents();
    return msSince(start);
}

double residentMegabytes()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key)
        if (key == "VmRSS:") {
            double kb = 0;
            status >> kb;
            return kb / 1024;
        }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    int designs = argc > 1 ? std::atoi(argv[1]) : 5000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    // A tree given (the collection benchmark's) is browsed with its subfolders, indexed first.
    const QString tree = argc > 3 ? QFileInfo(QString::fromLocal8Bit(argv[3])).absoluteFilePath() : QString();
    QTemporaryDir work;
    // The thumbnails and the index go to a cache of the benchmark's own.
    qputenv("XDG_CACHE_HOME", (work.path() + QStringLiteral("/cache")).toLocal8Bit());
    QString folder = work.path() + QStringLiteral("/designs");
    double indexMs = 0;
    if (tree.isEmpty()) {
        QDir().mkpath(folder);
        makeFolder(folder, designs);
    } else {
        folder = tree;
        const auto indexing = Clock::now();
        DesignIndex(DesignIndex::defaultPath()).refresh(folder.toStdString() + '/');
        indexMs = msSince(indexing);
    }

    Forms forms = createForms();
    TForm1& form = *forms.Form1;
    form.IncludeSubfolders1->setChecked(!tree.isEmpty());
    form.resize(1600, 1000);
    form.show();
    QCoreApplication::processEvents();

    auto start = Clock::now();
    form.showBrowse(folder);
    BrowseWindow& browse = *form.browseWindow();
    const double showMs = msSince(start);  // the window's own part: the listing goes on
    untilRowsShown(browse);
    const double listMs = msSince(start);
    const double coldScreenMs = untilVisibleDrawn(browse, start);
    browse.awaitListing();
    const double filesListedMs = msSince(start);
    designs = browse.model().rowCount();
    browse.pictures().waitUntilIdle();

    // Cold pictures, both cores: a picture pool of its own over designs not yet drawn.
    double picturesPerSecond = 0;
    {
        QTemporaryDir cache;
        BrowsePictures pictures{ThumbnailFolder(cache.path())};
        const int count = std::min(designs, 600);
        start = Clock::now();
        for (int row = 0; row < count; ++row) {
            const BrowseEntry& entry = browse.model().entryAt(designs - 1 - row);
            pictures.picture(entry.path, entry.modified, 128);
        }
        pictures.waitUntilIdle();
        picturesPerSecond = count / (msSince(start) / 1000);
    }

    // One picture on one thread: reading the design, and reading and drawing it.
    double readMs = 0, drawMs = 0, meanStitches = 0;
    {
        const int count = std::min(designs, 50);
        start = Clock::now();
        std::int64_t stitches = 0;
        int read = 0;
        for (int row = 0; row < count; ++row)
            if (const PictureReading reading = readDesignPicture(browse.model().entryAt(row).path); reading.picture) {
                stitches += reading.picture->stitches();
                ++read;
            }
        readMs = msSince(start) / count;
        meanStitches = read > 0 ? double(stitches) / read : 0;
        if (stitches == 0)
            std::fprintf(stderr, "orlika-bench-browse: the designs could not be read\n");
        start = Clock::now();
        for (int row = 0; row < count; ++row)
            drawThumbnail(browse.model().entryAt(row).path, 128);
        drawMs = msSince(start) / count;
    }

    // Scrolling the whole grid, pictures cold (the memory and disk caches of another folder).
    std::vector<double> frames;
    {
        QListView* grid = browse.grid();
        QScrollBar* bar = grid->verticalScrollBar();
        const int step = std::max(1, grid->gridSize().height() * 2 / 3);
        for (int at = 0; at <= bar->maximum(); at += step) {
            const auto frame = Clock::now();
            bar->setValue(at);
            QCoreApplication::processEvents();
            grid->viewport()->repaint();
            frames.push_back(msSince(frame));
        }
    }

    std::vector<double> cachedScreens, searches;
    for (int run = 0; run < runs; ++run) {
        // A second grid: its memory is empty, its pictures on disk.
        BrowseWindow second(form.host(), [&form]() -> FileOperations& { return form.fileOperations(); });
        second.setIncludeSubfolders(!tree.isEmpty());
        second.resize(1600, 1000);
        second.show();
        QCoreApplication::processEvents();
        start = Clock::now();
        second.showFolder(folder + QLatin1Char('/'));
        untilRowsShown(second);
        cachedScreens.push_back(untilVisibleDrawn(second, start));
        second.awaitListing();

        browse.searchField()->clear();
        QCoreApplication::processEvents();
        start = Clock::now();
        browse.searchField()->setText(QStringLiteral("*7?.dst"));
        QCoreApplication::processEvents();
        browse.grid()->viewport()->repaint();
        searches.push_back(msSince(start));
    }
    std::printf("{\"designs\": %d, \"index_ms\": %.0f, \"show_ms\": %.1f, \"list_ms\": %.1f, \"files_listed_ms\": %.1f, "
                "\"first_screen_ms_cold\": %.1f, "
                "\"first_screen_ms_cached\": %.1f, \"frame_p50_ms\": %.2f, \"frame_p99_ms\": %.2f, "
                "\"cold_pictures_per_s\": %.0f, \"mean_stitches\": %.0f, \"read_ms\": %.1f, \"read_and_draw_ms\": %.1f, \"search_ms\": %.1f, "
                "\"search_shown\": %d, \"rss_mb\": %.0f}\n",
                designs, indexMs, showMs, listMs, filesListedMs, coldScreenMs, percentile(cachedScreens, 0.5), percentile(frames, 0.5),
                percentile(frames, 0.99), picturesPerSecond, meanStitches, readMs, drawMs, percentile(searches, 0.5), browse.model().rowCount(),
                residentMegabytes());
    return 0;
}
