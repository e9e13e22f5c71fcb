// SPDX-License-Identifier: MIT
#include "render/FontConfiguration.h"

#include <cstdlib>

namespace orlika {

namespace {

bool namesACacheFolder(FcConfig* config)
{
    FcStrList* folders = FcConfigGetCacheDirs(config);
    const bool any = folders && FcStrListNext(folders);
    if (folders)
        FcStrListDone(folders);
    return any;
}

} // namespace

FcConfig* loadSystemFontConfiguration()
{
    // fontconfig's own start is the one that reads FC_DEBUG.
    if (const char* debug = std::getenv("FC_DEBUG"); debug && *debug)
        return nullptr;
    FcConfig* config = FcConfigCreate();
    if (!config)
        return nullptr;
    // FONTCONFIG_FILE's file or fonts.conf, with everything it includes, as FcInit loads
    // them; FcInit then also scans the templates, which this leaves out.
    if (!FcConfigParseAndLoad(config, nullptr, FcTrue) || !namesACacheFolder(config) || !FcConfigBuildFonts(config)) {
        FcConfigDestroy(config);
        return nullptr;
    }
    return config;
}

void startFontconfig()
{
    if (FcConfig* config = loadSystemFontConfiguration()) {
        FcConfigSetCurrent(config);
        FcConfigDestroy(config);  // the current configuration keeps its own reference
    }
}

} // namespace orlika
