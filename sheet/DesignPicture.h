// SPDX-License-Identifier: MIT
// A design read whole into a picture at its actual size: its stitches in millimetres with
// y growing downward, cut into its colour blocks in stitching order, each with its thread
// and stitch count. The sheet, the exports and the design view draw from it.
#pragma once

#include "decoders/SewingTally.h"
#include "decoders/StitchFigures.h"
#include "platform/Color.h"

#include <QPolygonF>
#include <QRectF>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class QPainter;

namespace orlika {

class FileSystem;

/// The stitches sewn with one thread: from the design's start or a colour change that
/// sets a colour, to the next such change.
struct ColorBlock {
    Color color = Black;     // the thread's colour where the format gives threads, else the pen's
    std::string threadName;  // empty where the format names none
    std::string threadCode;  // the catalogue code; empty where the format gives none
    std::int64_t stitches = 0;
    double threadMetres = 0;  // top thread it uses (decoders/SewingTally.h)
    /// Runs of stitches sewn one after another, in millimetres from the design's start point.
    std::vector<QPolygonF> runs;
};

struct DesignPicture {
    std::string path;
    std::string name;    // the file's name
    std::string folder;  // its folder, ending in '/'
    std::string format;  // the file type as its extension names it: "DST"
    /// The design's size and counts as everything apart from a page cell states them.
    StitchFigures figures;
    /// The file ends before the design its header describes ("File ends after 1,203 of
    /// 4,562 stitches"): the picture shows what is there.
    std::string cutShort;
    /// The box of every stitch's ends, in millimetres from the start point, y downward.
    QRectF extent;
    std::vector<ColorBlock> blocks;
    /// What sewing it asks of the machine: its time and thread.
    SewingCounts sewing;

    double widthMm() const { return extent.width(); }
    double heightMm() const { return extent.height(); }
    QPointF centre() const { return extent.center(); }
    std::int64_t stitches() const { return figures.stitches(); }
    /// Changes from one block's thread to the next.
    int colorChanges() const { return int(figures.colorChanges()); }
};

/// What reading a design file gave: the picture, or why there is none.
struct PictureReading {
    std::optional<DesignPicture> picture;
    std::string problem;                // the reader's message when there is no picture
    std::vector<std::string> warnings;  // boxes the file raised although it was read
};

/// Reads a design with the reader its name selects (as under "All supported formats").
/// A file no reader takes, that cannot be opened, that its reader rejects, that cannot be
/// read to its end or that holds no stitch gives no picture.
PictureReading readDesignPicture(const std::string& path);
/// The same through `files`, which may open what the system alone cannot (a design inside
/// an archive).
PictureReading readDesignPicture(const std::string& path, FileSystem& files);

/// The width of a stitch as drawn at actual size: about a thread's.
constexpr double kStitchWidthMm = 0.3;

/// How the stitches stand out from what they are drawn on.
enum class Backdrop {
    None,   // a picture for other programs: every thread as it is
    Paper,  // white paper or a white view: a thread too light to see gets a grey edge
};

/// A thread colour that barely shows on white.
bool isLightOnWhite(Color color);

/// Draws the design's stitches, each block in its colour, on a painter whose coordinates
/// are millimetres of the design (its start point at the origin); antialiasing is the
/// caller's. A stitch covers `stitchWidthMm` on every backdrop. Runs are drawn in pieces
/// so that a block of millions of stitches needs no path of millions of points.
void paintDesign(QPainter& painter, const DesignPicture& picture, double stitchWidthMm = kStitchWidthMm,
                 Backdrop backdrop = Backdrop::None);

/// The block's thread as the format gives it, "Poppy Red 1147", or empty.
std::string threadText(const ColorBlock& block);

/// "12.3 x 45.6 mm", "0.48 x 1.80 in"
std::string sizeInMillimetres(const DesignPicture& picture);
std::string sizeInInches(const DesignPicture& picture);
/// "about 14 min at 600 stitches a minute; thread 52.3 m, bobbin 17.4 m"
std::string sewingText(const SewingCounts& sewing, int stitchesPerMinute = kDefaultStitchesPerMinute);

} // namespace orlika
