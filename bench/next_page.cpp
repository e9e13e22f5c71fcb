// SPDX-License-Identifier: MIT
// How long the user waits after Next: the real window, in thumbnails of 30, over pages of
// 30 designs of 20,000 stitches. At each page end the program is left idle for a while (a
// user looks at the page), then N is pressed; the time runs from the key press to the next
// page painted on screen (the run waiting at its end with the page repainted). Pages drawn
// ahead and pages drawn when their turn comes are measured in turn, in one run; the same
// for Prev to a page seen before.
//
//   orlika-bench-next-page [PAGES] [ROUNDS] [LOOK_MS]   (default 8 pages, 3 rounds, 400 ms)
#include "app/Forms.h"
#include "app/Orlika.h"
#include "tools/designgen/DstWriter.h"

#include <QApplication>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>
#include <vector>

namespace {

using namespace orlika;
using Clock = std::chrono::steady_clock;

void makeFolder(const QString& folder, int designs)
{
    const auto bytes = gen::writeDst(gen::makeSpiral(20000, 8));
    for (int i = 0; i < designs; ++i) {
        const std::string path = folder.toStdString() + "/design" + std::to_string(1000 + i) + ".dst";
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

struct Waits {
    std::vector<double> next;  // milliseconds from N to the next page on screen
    std::vector<double> prev;  // from P to the page before
};

// One run over the folder: Next to its last page, then Prev twice, then Cancel.
Waits runOnce(TForm1& form, const QString& firstDesign, int pages, bool ahead, int lookMs)
{
    form.drawPagesAhead(ahead);
    Waits waits;
    int waitsSeen = 0;
    Clock::time_point pressed{};
    std::vector<double>* into = nullptr;
    form.host().onWait = [&] {
        form.Page->repaint();  // the page on screen before the clock stops
        if (into)
            into->push_back(std::chrono::duration<double, std::milli>(Clock::now() - pressed).count());
        ++waitsSeen;
        // The user looks at the page: the window is idle, as it is between key presses.
        const Clock::time_point look = Clock::now() + std::chrono::milliseconds(lookMs);
        while (Clock::now() < look) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        Qt::Key key = Qt::Key_N;
        into = &waits.next;
        if (waitsSeen >= pages + 2) {
            key = Qt::Key_Escape;
            into = nullptr;
        } else if (waitsSeen >= pages) {
            key = Qt::Key_P;
            into = &waits.prev;
        }
        pressed = Clock::now();
        QTest::keyClick(form.Page, key);
    };
    form.host().answerDialog = [&](QDialog& dialog) {
        auto& files = dynamic_cast<QFileDialog&>(dialog);
        files.selectFile(firstDesign);
        return int(QDialog::Accepted);
    };
    form.Open1->trigger();
    form.host().onWait = nullptr;
    return waits;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int pages = argc > 1 ? std::max(3, std::atoi(argv[1])) : 8;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const int lookMs = argc > 3 ? std::max(0, std::atoi(argv[3])) : 400;
    QTemporaryDir dir;
    makeFolder(dir.path(), 30 * pages);
    Forms forms = createForms();
    TForm1& form = *forms.Form1;
    form.show();
    form.resize(1600, 1000);
    QCoreApplication::processEvents();
    form.N30page1->trigger();
    const QString first = dir.path() + QStringLiteral("/design1000.dst");

    Waits ahead, drawn;
    for (int round = 0; round < rounds; ++round) {
        for (const bool on : {true, false}) {
            const Waits w = runOnce(form, first, pages, on, lookMs);
            Waits& into = on ? ahead : drawn;
            into.next.insert(into.next.end(), w.next.begin(), w.next.end());
            into.prev.insert(into.prev.end(), w.prev.begin(), w.prev.end());
        }
    }
    std::printf("thumbnails of 30, %d pages of 30 designs of 20,000 stitches, %d rounds, page %dx%d\n", pages, rounds,
                form.Page->width(), form.Page->height());
    std::printf("key press to page on screen, median ms (of n)\n");
    std::printf("  Next, page drawn ahead:          %7.1f  (%zu)\n", median(ahead.next), ahead.next.size());
    std::printf("  Next, page drawn when its turn:  %7.1f  (%zu)\n", median(drawn.next), drawn.next.size());
    std::printf("  Prev, page kept:                 %7.1f  (%zu)\n", median(ahead.prev), ahead.prev.size());
    std::printf("  Prev, page drawn again:          %7.1f  (%zu)\n", median(drawn.prev), drawn.prev.size());
    std::printf("pages drawn ahead or kept and shown: %d\n", form.pagesDrawnAhead());
    return 0;
}
