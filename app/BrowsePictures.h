// SPDX-License-Identifier: MIT
// The browse grid's pictures: drawn on a thread pool, the design asked for last first,
// kept in memory (bounded) and on disk in the freedesktop thumbnail cache that file
// managers share; a design inside an archive, which that cache cannot name, in ORLIKA's
// own cache folder. A picture is keyed by its file's modification time, so a changed file
// is drawn again.
#pragma once

#include "collection/BrowseList.h"

#include <QCache>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QString>
#include <QThreadPool>

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace orlika {

/// The freedesktop sizes: the smallest of 128, 256, 512 and 1024 pixels that holds `pixels`.
int thumbnailSize(int pixels);

/// A drawn design, or why there is none.
struct DesignThumbnail {
    QImage image;                          // null when the design could not be drawn
    std::optional<BrowseFigures> figures;  // read with it, or stored beside it
};

/// Draws the design at `path` (an archive's entry too) in its thread colours on a
/// transparent picture whose longer side is `size` pixels.
DesignThumbnail drawThumbnail(const std::string& path, int size);

// The pictures on disk, laid out as the freedesktop thumbnail cache has them:
// <cache>/thumbnails/<normal|large|x-large|xx-large>/<MD5 of the file's URI>.png with the
// URI and the file's modification time in the PNG's text.
class ThumbnailFolder {
public:
    /// Under $XDG_CACHE_HOME, else ~/.cache.
    ThumbnailFolder();
    explicit ThumbnailFolder(QString cacheHome) : m_cacheHome(std::move(cacheHome)) {}

    /// The file's URI ("file:///home/a/rose%20red.dst"); an entry of an archive has the
    /// archive's with the entry after '#'.
    static QString uriOf(const std::string& path);
    /// Where the picture of `path` at `size` (one of thumbnailSize's) lives.
    QString fileOf(const std::string& path, int size) const;
    /// The stored picture when it is of this file as it is now (its URI and modification
    /// time, seconds since the epoch); nothing for a missing, damaged or outdated one.
    std::optional<DesignThumbnail> load(const std::string& path, std::int64_t modifiedSeconds, int size) const;
    /// Writes the picture (whole, then renamed into place, readable by the user alone);
    /// false when it could not.
    bool store(const std::string& path, std::int64_t modifiedSeconds, int size, const DesignThumbnail& picture) const;

private:
    QString m_cacheHome;
};

class BrowsePictures : public QObject {
    Q_OBJECT
public:
    explicit BrowsePictures(ThumbnailFolder folder = {}, QObject* parent = nullptr);
    ~BrowsePictures() override;

    /// The design's picture at the size holding `pixels`, when it has been made for the
    /// file as it is (modified: nanoseconds since the epoch); else it is queued, to be made
    /// before those asked for earlier, and the answer is null until pictureReady.
    const QImage* picture(const std::string& path, std::int64_t modified, int pixels);
    /// True when the design could not be drawn (asked again only once its file changes).
    bool failed(const std::string& path, std::int64_t modified, int pixels) const;
    /// Forgets what is queued and not yet started (the grid shows other designs now).
    void forgetQueued();
    /// Waits until every picture asked for is made and delivered; for tests.
    void waitUntilIdle();
    /// Pictures drawn from the design (not found in memory or on disk); for tests.
    int drawn() const { return m_drawn; }
    const ThumbnailFolder& folder() const { return m_folder; }

signals:
    /// The picture of `path` is ready, with the design's figures where they were read.
    void pictureReady(const QString& path, const std::optional<orlika::BrowseFigures>& figures);

private:
    struct Job {
        std::string path;
        std::int64_t modified = 0;
        int size = 0;
        QString key;
    };
    static QString keyOf(const std::string& path, std::int64_t modified, int size);
    void startWorkers();
    void work();
    void deliver(const Job& job, const DesignThumbnail& picture, bool drawnNow);

    ThumbnailFolder m_folder;
    QCache<QString, QImage> m_memory;  // cost: kilobytes
    QSet<QString> m_failed;
    QSet<QString> m_asked;             // queued or being made
    std::mutex m_mutex;                // guards m_queue, m_workers and m_stopping
    std::vector<Job> m_queue;          // the last asked at the back
    int m_workers = 0;
    bool m_stopping = false;
    int m_drawn = 0;
    QThreadPool m_pool;
};

} // namespace orlika

Q_DECLARE_METATYPE(std::optional<orlika::BrowseFigures>)
