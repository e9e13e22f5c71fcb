// SPDX-License-Identifier: MIT
// How long the window takes to show the first page of a big folder: the real window in
// thumbnails of 30, over a folder of 5,000 designs of 20,000 stitches (one DST file under
// 5,000 names of mixed case, spaces, digits and accents, as hard links). A design file is
// opened as the command line opens it (its folder from the beginning, all supported
// formats); the time runs to the first page painted on screen, the run waiting at its end.
// The first run is also timed from the start of the process (before the application
// object is made); then the folder is opened again RUNS times.
//
//   orlika-bench-first-page [DESIGNS] [RUNS]   (default 5,000 designs, 11 runs)
#include "app/Forms.h"
#include "app/Orlika.h"
#include "tools/designgen/DstWriter.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace orlika;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

// Names as a collection has them; none the same, in no particular order.
std::vector<std::string> designNames(int count)
{
    static const char* const words[] = {"rose",  "Tulip", "butterfly", "HEART", "star",        "Monogram",
                                        "leaf",  "\xC3\x89lan", "owl", "Celtic knot", "daisy-chain", "Anchor",
                                        "bee",   "Zebra", "ivy",       "\xC3\xA9toile", "Apple", "alphabet A"};
    std::mt19937 random(5000);
    std::set<std::string> taken;
    std::vector<std::string> names;
    while (int(names.size()) < count) {
        std::string name = words[random() % std::size(words)];
        name += random() % 3 == 0 ? " " : "_";
        name += std::to_string(random() % 2000);
        if (random() % 5 == 0)
            name += "_v2";
        name += random() % 4 == 0 ? ".DST" : ".dst";
        if (taken.insert(name).second)
            names.push_back(name);
    }
    return names;
}

// The folder's designs: one file of 20,000 stitches, linked under every name.
std::string makeFolder(const fs::path& folder, int designs)
{
    const auto bytes = gen::writeDst(gen::makeSpiral(20000, 8));
    const fs::path original = folder.parent_path() / "first-page-design.dst";
    {
        std::ofstream out(original, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    fs::create_directory(folder);
    const std::vector<std::string> names = designNames(designs);
    for (const std::string& name : names) {
        std::error_code linked;
        fs::create_hard_link(original, folder / name, linked);
        if (linked)
            fs::copy_file(original, folder / name);
    }
    return (folder / names.front()).string();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Opens the design's folder as the command line does; the milliseconds from `from` to its
// first page on screen. The run is then cancelled.
double firstPage(TForm1& form, const QString& design, Clock::time_point from)
{
    double shown = -1;
    form.host().onWait = [&] {
        if (shown < 0) {
            form.Page->repaint();  // the page on screen before the clock stops
            shown = std::chrono::duration<double, std::milli>(Clock::now() - from).count();
        }
        QTest::keyClick(form.Page, Qt::Key_Escape);
    };
    form.openFile(design);
    form.host().onWait = nullptr;
    return shown;
}

} // namespace

int main(int argc, char** argv)
{
    const int designs = argc > 1 ? std::max(31, std::atoi(argv[1])) : 5000;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 11;
    QTemporaryDir dir;
    const QString design = QString::fromStdString(makeFolder(fs::path(dir.path().toStdString()) / "designs", designs));

    const Clock::time_point started = Clock::now();
    QApplication app(argc, argv);
    Forms forms = createForms();
    TForm1& form = *forms.Form1;
    form.show();
    form.resize(1600, 1000);
    form.N30page1->trigger();
    QCoreApplication::processEvents();
    const double fromStart = firstPage(form, design, started);

    std::vector<double> opened;
    for (int run = 0; run < runs; ++run)
        opened.push_back(firstPage(form, design, Clock::now()));
    std::printf("thumbnails of 30, a folder of %d designs of 20,000 stitches, page %dx%d\n", designs,
                form.Page->width(), form.Page->height());
    std::printf("first page on screen, ms\n");
    std::printf("  from the start of the process:    %7.1f\n", fromStart);
    std::printf("  from the folder opened, median:   %7.1f  (of %d)\n", median(opened), runs);
    return 0;
}
