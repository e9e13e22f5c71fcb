// SPDX-License-Identifier: MIT
// The format registry's rows and what derives from them: the three orders in which
// formats are tested, the dialogs' filters, the dispatch and the fuzz targets.
#include "decoders/Registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <string>
#include <vector>

namespace orlika::test {
namespace {

using Texts = std::vector<std::string>;

Texts linesOf(const std::string& generatedFile)
{
    std::ifstream in(ORLIKA_FORMAT_FILES + generatedFile);
    Texts lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string readerOf(const std::string& name)
{
    const Reader* reader = readerOfName(name);
    return reader ? std::string(reader->name) : "none";
}

TEST(Registry, GetFileTypesLooksForTheDialogMarksInRowOrder)
{
    Texts marks, kinds;
    for (const Format& format : formats()) {
        for (std::string mark : format.patterns()) {
            std::erase(mark, '*');
            std::erase(mark, '?');
            marks.push_back(mark);
            kinds.push_back(std::to_string(int(format.kind)) + "/" + std::to_string(int(format.filter)));
        }
    }
    EXPECT_EQ(marks, (Texts{".DST", ".PES", ".PEC", ".PC", ".KSM", ".EXP", ".SEW", ".JEF", ".VP3", ".XXX", ".HUS",
                            ".VIP", ".SHV"}));
    EXPECT_EQ(kinds, (Texts{"4/5", "3/4", "3/4", "2/3", "0/1", "1/2", "1/6", "7/7", "8/8", "9/9", "10/10", "11/11",
                            "12/12"}));
    // The first mark found decides, wherever it stands in the path.
    EXPECT_EQ(formatOfDialogName("/a.dst/x.pes")->name, "Dst");
    EXPECT_EQ(formatOfDialogName("/OLD.PCX/x.ksm")->name, "Pcd");
    EXPECT_EQ(formatOfDialogName("/a/x.txt"), nullptr);
}

TEST(Registry, NamesChooseTheirReaderInTheNameRanksOrder)
{
    Texts order;
    std::vector<int> ranks;
    for (const Format& format : formats())
        ranks.push_back(format.nameRank);
    std::sort(ranks.begin(), ranks.end());
    for (const int rank : ranks)
        for (const Format& format : formats())
            if (format.nameRank == rank)
                for (const FileType& type : format.types)
                    order.emplace_back(type.extension);
    // The formats added later come after the first ones: no file changes reader.
    EXPECT_EQ(order, (Texts{".PCS", ".PCQ", ".PCD", ".DST", ".KSM", ".EXP", ".SEW", ".PES", ".PEC", ".JEF", ".VP3",
                            ".XXX", ".HUS", ".VIP", ".SHV"}));
    EXPECT_EQ(readerOf("c.Pcd"), "PCDesignerFormat");
    EXPECT_EQ(readerOf("x.pcs.dst"), "PCDesignerFormat");  // the first format in that order wins
    EXPECT_EQ(readerOf("x.pes.dst"), "TajimaFormat");      // DST comes before PES
    EXPECT_EQ(readerOf("x.dst.ksm"), "TajimaFormat");
    EXPECT_EQ(readerOf("x.ksm.exp"), "KSMFormat");         // KSM comes before EXP
    EXPECT_EQ(readerOf("A.SEW"), "EXPFormat");
    EXPECT_EQ(readerOf("B.PEC"), "PESFormat");
    EXPECT_EQ(readerOf("c.Hus"), "HUSFormat");
    EXPECT_EQ(readerOf("d.vip"), "VIPFormat");
    EXPECT_EQ(readerOf("e.SHV"), "SHVFormat");
    EXPECT_EQ(readerOf("x.hus.dst"), "TajimaFormat");
    EXPECT_EQ(readerOf("a.txt"), "none");
    // The new formats come after the ones read before them: no such file changes reader.
    EXPECT_EQ(readerOf("c.jef"), "JEFFormat");
    EXPECT_EQ(readerOf("c.Vp3"), "VP3Format");
    EXPECT_EQ(readerOf("c.xxx"), "XXXFormat");
    EXPECT_EQ(readerOf("x.dst.jef"), "TajimaFormat");
    EXPECT_EQ(readerOf("x.jef.pes"), "PESFormat");
    // By format class: one reader each; EXP and SEW share theirs.
    Texts byKind;
    for (const int kind : {0, 1, 2, 3, 4, 5, 6, 10, 11, 12})
        byKind.push_back(readerOfKind(FileKind(kind)) ? std::string(readerOfKind(FileKind(kind))->name) : "none");
    EXPECT_EQ(byKind, (Texts{"KSMFormat", "EXPFormat", "PCDesignerFormat", "PESFormat", "TajimaFormat", "none", "none",
                             "HUSFormat", "VIPFormat", "SHVFormat"}));
    EXPECT_EQ(readerNamed("EXPFormat"), readerOfKind(FileKind{1}));
    EXPECT_EQ(readerOfKind(FileKind{7})->name, "JEFFormat");
    EXPECT_EQ(readerOfKind(FileKind{8})->name, "VP3Format");
    EXPECT_EQ(readerOfKind(FileKind{9})->name, "XXXFormat");
}

TEST(Registry, DesignExtensionsAndTheDialogsFiltersComeFromTheRows)
{
    EXPECT_EQ(designExtensions(), (Texts{".PCS", ".PCD", ".PCQ", ".PEC", ".PES", ".KSM", ".EXP", ".SEW", ".DST", ".JEF",
                                         ".VP3", ".XXX", ".HUS", ".VIP", ".SHV"}));
    // The listing's filters are the open dialog's and "All Files"; the formats' own carry
    // their rows' numbers. The first six and the two that span them keep the places they
    // always had; the formats added later follow.
    Texts filters;
    std::vector<int> indices;
    for (const DialogFilter& filter : listingDialogFilters()) {
        std::string patterns;
        for (const std::string& pattern : filter.patterns)
            patterns += (patterns.empty() ? "" : ";") + pattern;
        filters.push_back(filter.text + " | " + patterns);
        indices.push_back(int(filter.index));
    }
    EXPECT_EQ(filters, (Texts{"Pfaff Professional ( KSM) | *.KSM", "Melco Dos Expanded (EXP) | *.EXP",
                              "Pfaff(PCS,PCD,PCQ) | *.PC?", "Brothers (PES,PEC) | *.PES;*.PEC",
                              "Tajima (DST) | *.DST", "Janome (SEW) | *.SEW",
                              "All supported formats | *.KSM;*.EXP;*.PC?;*.PES;*.PEC;*.DST;*.SEW;*.JEF;*.VP3;*.XXX;"
                              "*.HUS;*.VIP;*.SHV",
                              "All Files | *.*", "Janome (JEF) | *.JEF", "Husqvarna/Pfaff (VP3) | *.VP3",
                              "Singer (XXX) | *.XXX", "Husqvarna Viking (HUS) | *.HUS",
                              "Husqvarna Viking (VIP) | *.VIP", "Husqvarna/Pfaff (SHV) | *.SHV"}));
    EXPECT_EQ(indices, (std::vector<int>{1, 2, 3, 4, 5, 6, int(FilterIndex::AllSupported), int(FilterIndex::AllFiles),
                                         7, 8, 9, 10, 11, 12}));
    EXPECT_EQ(openDialogFilters().size(), 13u);
    EXPECT_EQ(openDialogFilters()[6].index, FilterIndex::AllSupported);
    EXPECT_EQ(formatOfFilter(FilterIndex{3})->types.size(), 3u);
    EXPECT_EQ(formatOfFilter(FilterIndex::AllSupported), nullptr);
}

// CMake reads the same rows for the fuzz targets and the MIME types it writes out.
TEST(Registry, TheBuildsFuzzTargetsAndMimeTypesComeFromTheRows)
{
    Texts targets;
    for (const FuzzTarget& target : fuzzTargets()) {
        std::string line = target.name;
        for (const std::string& extension : target.extensions)
            line += " " + extension;
        targets.push_back(line);
    }
    EXPECT_EQ(targets, (Texts{"dst dst", "pes pes", "pec pec", "pcs pcs pcq pcd", "ksm ksm", "exp exp", "sew sew",
                              "jef jef", "vp3 vp3", "xxx xxx", "hus hus", "vip vip", "shv shv"}));
    EXPECT_EQ(linesOf("/orlika-fuzz-targets.txt"), targets);

    Texts expected;
    for (const Format& format : formats()) {
        for (const FileType& type : format.types) {
            std::string glob(type.extension);
            std::transform(glob.begin(), glob.end(), glob.begin(), [](unsigned char c) { return char(std::tolower(c)); });
            expected.push_back(std::string(type.mimeType) + " *" + glob + " *" + std::string(type.extension));
        }
    }
    // The quoted value after `key` in a line, or "".
    const auto valueAfter = [](const std::string& line, const std::string& key) {
        const auto at = line.find(key);
        return at == std::string::npos ? std::string() : line.substr(at + key.size(), line.find('"', at + key.size()) - at - key.size());
    };
    Texts written;
    for (const std::string& line : linesOf("/orlika-mime.xml")) {
        if (const std::string type = valueAfter(line, "<mime-type type=\""); !type.empty())
            written.push_back(type);
        else if (const std::string glob = valueAfter(line, "<glob pattern=\""); !glob.empty() && !written.empty())
            written.back() += " " + glob;
    }
    EXPECT_EQ(written, expected);
    EXPECT_EQ(expected.size(), designExtensions().size());
}

} // namespace
} // namespace orlika::test
