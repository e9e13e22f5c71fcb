// SPDX-License-Identifier: MIT
// The system's font configuration, started for a program about to measure or draw text.
#pragma once

#include <fontconfig/fontconfig.h>

namespace orlika {

/// The configuration fontconfig's own start (FcInit) builds, with the same files, rules and
/// fonts, but without reading the templates in its folder of available configuration
/// files: fontconfig reads them only to describe them to its listing tools, and they were
/// a third of its start. Null where fontconfig's own start has to decide: the
/// configuration does not load (fontconfig has said why on standard error, and says it
/// again when it starts), names no cache folder, or FC_DEBUG asks for fontconfig's own
/// reports. The caller owns the configuration (FcConfigDestroy).
FcConfig* loadSystemFontConfiguration();

/// Makes loadSystemFontConfiguration() fontconfig's current configuration, or leaves the
/// start to fontconfig where it is null. Call before the first font is used: Qt's font
/// database then finds fontconfig started.
void startFontconfig();

} // namespace orlika
