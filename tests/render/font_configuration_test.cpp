// SPDX-License-Identifier: MIT
// The font configuration the tools start fontconfig with, against the one fontconfig's own
// start builds: the same files, fonts and answers, without the templates read for nothing.
#include "render/FontConfiguration.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace orlika {
namespace {

struct ConfigFree {
    void operator()(FcConfig* config) const { FcConfigDestroy(config); }
};
using Config = std::unique_ptr<FcConfig, ConfigFree>;

std::vector<std::string> texts(FcStrList* list)
{
    std::vector<std::string> out;
    while (FcChar8* text = FcStrListNext(list))
        out.emplace_back(reinterpret_cast<const char*>(text));
    FcStrListDone(list);
    return out;
}

// Every file the configuration describes, with whether its rules are in force.
std::vector<std::pair<std::string, bool>> describedFiles(FcConfig* config)
{
    std::vector<std::pair<std::string, bool>> files;
    FcConfigFileInfoIter iter;
    FcConfigFileInfoIterInit(config, &iter);
    do {
        FcChar8* name = nullptr;
        FcChar8* description = nullptr;
        FcBool enabled = FcFalse;
        if (FcConfigFileInfoIterGet(config, &iter, &name, &description, &enabled)) {
            files.emplace_back(reinterpret_cast<const char*>(name), enabled != FcFalse);
            FcStrFree(name);
            FcStrFree(description);
        }
    } while (FcConfigFileInfoIterNext(config, &iter));
    return files;
}

// The font fontconfig chooses for a request, with every property a drawing takes from it
// (file, size, hinting, antialiasing...).
std::string match(FcConfig* config, const char* request)
{
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(request));
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* font = FcFontMatch(config, pattern, &result);
    FcPatternDestroy(pattern);
    if (!font)
        return "no match";
    FcPatternDel(font, FC_CHARSET);  // long, and it follows from the file
    FcChar8* text = FcNameUnparse(font);
    std::string out = text ? reinterpret_cast<const char*>(text) : "";
    FcStrFree(text);
    FcPatternDestroy(font);
    return out;
}

TEST(FontConfiguration, LoadsTheFilesFontsAndRulesOfFontconfigsOwnStart)
{
    const Config own(FcInitLoadConfigAndFonts());
    const Config ours(loadSystemFontConfiguration());
    ASSERT_TRUE(own);
    ASSERT_TRUE(ours);
    EXPECT_EQ(texts(FcConfigGetConfigFiles(ours.get())), texts(FcConfigGetConfigFiles(own.get())));
    EXPECT_EQ(texts(FcConfigGetFontDirs(ours.get())), texts(FcConfigGetFontDirs(own.get())));
    EXPECT_EQ(texts(FcConfigGetCacheDirs(ours.get())), texts(FcConfigGetCacheDirs(own.get())));
    EXPECT_EQ(FcConfigGetFonts(ours.get(), FcSetSystem)->nfont, FcConfigGetFonts(own.get(), FcSetSystem)->nfont);
    // The families the catalog asks for, their aliases and the generic names, in each style.
    for (const char* request :
         {"Arial", "Arial:bold", "Arial:italic", "Arial-8", "Arial:pixelsize=11", "Helvetica", "Times New Roman",
          "Courier New", "sans-serif", "serif", "monospace", "DejaVu Sans:bold", "Liberation Sans:light",
          "no such family", "sans-serif:lang=ja", "sans-serif:lang=ar", "serif:lang=zh-cn"}) {
        SCOPED_TRACE(request);
        EXPECT_EQ(match(ours.get(), request), match(own.get(), request));
    }
}

TEST(FontConfiguration, ReadsOnlyTheFilesWhoseRulesItKeeps)
{
    const Config own(FcInitLoadConfigAndFonts());
    const Config ours(loadSystemFontConfiguration());
    ASSERT_TRUE(own);
    ASSERT_TRUE(ours);
    std::set<std::string> kept;
    for (const auto& [name, enabled] : describedFiles(ours.get())) {
        EXPECT_TRUE(enabled) << name << " was read, its rules left out";
        kept.insert(name);
    }
    // fontconfig's own start reads the same files in force, and the templates beside them.
    std::set<std::string> inForce;
    for (const auto& [name, enabled] : describedFiles(own.get()))
        if (enabled)
            inForce.insert(name);
    EXPECT_EQ(kept, inForce);
}

TEST(FontConfiguration, LeavesTheStartToFontconfigWhenItsReportsAreAskedFor)
{
    ASSERT_EQ(setenv("FC_DEBUG", "1024", 1), 0);
    const Config ours(loadSystemFontConfiguration());
    unsetenv("FC_DEBUG");
    EXPECT_FALSE(ours);
}

} // namespace
} // namespace orlika
