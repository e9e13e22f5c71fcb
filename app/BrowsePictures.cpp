// SPDX-License-Identifier: MIT
#include "app/BrowsePictures.h"

#include "app/BackgroundWork.h"
#include "catalog/DesignPaths.h"
#include "collection/CollectionFiles.h"
#include "collection/ZipArchive.h"
#include "render/PainterCanvas.h"
#include "render/PngEncoder.h"
#include "sheet/DesignPicture.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QPainter>
#include <QTemporaryFile>
#include <QThread>
#include <QUrl>

#include <algorithm>
#include <cstdio>

namespace orlika {

namespace {

constexpr int kSizes[] = {128, 256, 512, 1024};
// Some fifteen screens of 128-pixel pictures, a few of the largest; the rest come back
// from the disk cache. Twice this kept a window over 50,000 designs above 300 MB.
constexpr int kMemoryKilobytes = 96 * 1024;
// Designs scrolled past are not worth drawing: beyond this many, the oldest asked go.
constexpr std::size_t kLongestQueue = 512;
const char* const kFiguresKey = "X-ORLIKA::Figures";

QString sizeFolderName(int size)
{
    switch (size) {
    case 128: return QStringLiteral("normal");
    case 256: return QStringLiteral("large");
    case 512: return QStringLiteral("x-large");
    default: return QStringLiteral("xx-large");
    }
}

QString figuresText(const BrowseFigures& f)
{
    return QStringLiteral("%1 %2 %3 %4").arg(f.widthMm, 0, 'f', 2).arg(f.heightMm, 0, 'f', 2).arg(f.stitches).arg(
        f.colorChanges);
}

std::optional<BrowseFigures> figuresOfText(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(' '));
    if (parts.size() != 4)
        return std::nullopt;
    bool ok[4] = {};
    BrowseFigures f{parts[0].toDouble(&ok[0]), parts[1].toDouble(&ok[1]), parts[2].toLongLong(&ok[2]),
                    parts[3].toLongLong(&ok[3])};
    if (!std::all_of(std::begin(ok), std::end(ok), [](bool b) { return b; }))
        return std::nullopt;
    return f;
}

PictureReading readAnywhere(const std::string& path)
{
    if (!isArchiveEntry(path))
        return readDesignPicture(path);
    // Each picture opens the archive on its own: the workers share nothing.
    ArchiveShelf archives;
    CollectionFileSystem files(archives);
    return readDesignPicture(path, files);
}

} // namespace

int thumbnailSize(int pixels)
{
    for (int size : kSizes)
        if (pixels <= size)
            return size;
    return kSizes[std::size(kSizes) - 1];
}

DesignThumbnail drawThumbnail(const std::string& path, int size)
{
    DesignThumbnail thumbnail;
    PictureReading reading;
    try {
        reading = readAnywhere(path);
    } catch (const std::exception&) {
        return thumbnail;
    }
    if (!reading.picture)
        return thumbnail;
    const DesignPicture& picture = *reading.picture;
    thumbnail.figures = BrowseFigures{picture.widthMm(), picture.heightMm(), picture.stitches(),
                                      std::int64_t(picture.colorChanges())};
    const QRectF extent = picture.extent;
    const double longer = std::max({extent.width(), extent.height(), 0.1});
    const double margin = std::max(1.0, size / 32.0);
    const double scale = (size - 2 * margin) / longer;
    const int width = std::clamp(int(std::lround(extent.width() * scale + 2 * margin)), 1, size);
    const int height = std::clamp(int(std::lround(extent.height() * scale + 2 * margin)), 1, size);
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    // The points mapped here and a pen of a pixel, as the thumbnailer draws: the
    // rasteriser's fast path. A wider pen (a thread's width in a small design's picture)
    // goes through the stroker, many times slower over thousands of stitches.
    const double dx = margin - extent.left() * scale;
    const double dy = margin - extent.top() * scale;
    constexpr double stitchPixels = 1.0;
    QPolygonF piece;
    for (const ColorBlock& block : picture.blocks) {
        // A thread too light to see on white is drawn a shade darker.
        const QColor color = isLightOnWhite(block.color) ? toQColor(block.color).darker(150) : toQColor(block.color);
        QPen pen(color, stitchPixels);
        pen.setCapStyle(Qt::FlatCap);
        pen.setJoinStyle(Qt::RoundJoin);
        painter.setPen(pen);
        // Long runs in pieces that share their joining point: the memory stays small.
        constexpr qsizetype kPiece = 2048;
        for (const QPolygonF& run : block.runs)
            for (qsizetype from = 0; from + 1 < run.size(); from += kPiece) {
                const qsizetype to = std::min(from + kPiece + 1, run.size());
                piece.clear();
                for (qsizetype i = from; i < to; ++i)
                    piece << QPointF(run[i].x() * scale + dx, run[i].y() * scale + dy);
                painter.drawPolyline(piece);
            }
    }
    painter.end();
    thumbnail.image = std::move(image);
    return thumbnail;
}

ThumbnailFolder::ThumbnailFolder()
{
    const QString home = qEnvironmentVariable("XDG_CACHE_HOME");
    m_cacheHome = home.startsWith(QLatin1Char('/')) ? home : QDir::homePath() + QStringLiteral("/.cache");
}

QString ThumbnailFolder::uriOf(const std::string& path)
{
    if (const auto inArchive = archiveEntryOf(path)) {
        const QString archive = QUrl::fromLocalFile(QString::fromStdString(inArchive->archive)).toString(QUrl::FullyEncoded);
        return archive + QLatin1Char('#') + QString::fromLatin1(QUrl::toPercentEncoding(QString::fromStdString(inArchive->entry), "/"));
    }
    return QUrl::fromLocalFile(QString::fromStdString(path)).toString(QUrl::FullyEncoded);
}

QString ThumbnailFolder::fileOf(const std::string& path, int size) const
{
    const QString uri = uriOf(path);
    const QString md5 =
        QString::fromLatin1(QCryptographicHash::hash(uri.toUtf8(), QCryptographicHash::Md5).toHex());
    // The shared cache names files only; ORLIKA keeps its archives' designs apart.
    const QString root = isArchiveEntry(path) ? m_cacheHome + QStringLiteral("/orlika/thumbnails/")
                                              : m_cacheHome + QStringLiteral("/thumbnails/");
    return root + sizeFolderName(size) + QLatin1Char('/') + md5 + QStringLiteral(".png");
}

std::optional<DesignThumbnail> ThumbnailFolder::load(const std::string& path, std::int64_t modifiedSeconds,
                                                     int size) const
{
    // The picture is read whole: QImageReader::text() cuts keys at their first ':', and
    // the thumbnail cache's keys hold two.
    DesignThumbnail thumbnail;
    if (!thumbnail.image.load(fileOf(path, size), "png") || thumbnail.image.isNull() ||
        thumbnail.image.text(QStringLiteral("Thumb::URI")) != uriOf(path) ||
        thumbnail.image.text(QStringLiteral("Thumb::MTime")) != QString::number(modifiedSeconds))
        return std::nullopt;
    thumbnail.figures = figuresOfText(thumbnail.image.text(QString::fromLatin1(kFiguresKey)));
    return thumbnail;
}

bool ThumbnailFolder::store(const std::string& path, std::int64_t modifiedSeconds, int size,
                            const DesignThumbnail& picture) const
{
    const QString file = fileOf(path, size);
    const QString folder = QFileInfo(file).absolutePath();
    if (!QDir().mkpath(folder))
        return false;
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QImage image = picture.image;
    image.setText(QStringLiteral("Thumb::URI"), uriOf(path));
    image.setText(QStringLiteral("Thumb::MTime"), QString::number(modifiedSeconds));
    image.setText(QStringLiteral("Software"), QStringLiteral("ORLIKA"));
    if (picture.figures)
        image.setText(QString::fromLatin1(kFiguresKey), figuresText(*picture.figures));
    // Written whole under another name, then renamed: a reader never sees half a file. A
    // cache needs no flush to the disk (a picture lost is made again), which would cost
    // more than the picture.
    QTemporaryFile out(folder + QStringLiteral("/orlika-XXXXXX.png"));
    if (!out.open())
        return false;
    // libdeflate at a picture's level: Qt's writer spent most of a picture's making in zlib.
    const std::vector<std::uint8_t> png = encodePng(image, PngContent::Picture);
    if (out.write(reinterpret_cast<const char*>(png.data()), qint64(png.size())) != qint64(png.size()) ||
        !out.flush())
        return false;
    // Readable by the user alone (QTemporaryFile's own permissions), as the cache asks.
    return ::rename(QFile::encodeName(out.fileName()).constData(), QFile::encodeName(file).constData()) == 0;
}

// ---------------------------------------------------------------------------------------

BrowsePictures::BrowsePictures(ThumbnailFolder folder, QObject* parent)
    : QObject(parent), m_folder(std::move(folder)), m_memory(kMemoryKilobytes)
{
    qRegisterMetaType<std::optional<BrowseFigures>>();
    // Every core draws, below the window's priority (work()): scrolling and painting come first.
    m_pool.setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
}

BrowsePictures::~BrowsePictures()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_queue.clear();
    }
    m_pool.waitForDone();
}

QString BrowsePictures::keyOf(const std::string& path, std::int64_t modified, int size)
{
    return QString::fromStdString(path) + QLatin1Char('\n') + QString::number(modified) + QLatin1Char('\n') +
           QString::number(size);
}

const QImage* BrowsePictures::picture(const std::string& path, std::int64_t modified, int pixels)
{
    const int size = thumbnailSize(pixels);
    const QString key = keyOf(path, modified, size);
    if (const QImage* image = m_memory.object(key))
        return image;
    if (m_failed.contains(key) || m_asked.contains(key))
        return nullptr;
    m_asked.insert(key);
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(Job{path, modified, size, key});
        if (m_queue.size() > kLongestQueue) {
            const auto dropped = m_queue.size() - kLongestQueue;
            for (std::size_t i = 0; i < dropped; ++i)
                m_asked.remove(m_queue[i].key);
            m_queue.erase(m_queue.begin(), m_queue.begin() + std::ptrdiff_t(dropped));
        }
    }
    startWorkers();
    return nullptr;
}

bool BrowsePictures::failed(const std::string& path, std::int64_t modified, int pixels) const
{
    return m_failed.contains(keyOf(path, modified, thumbnailSize(pixels)));
}

void BrowsePictures::forgetQueued()
{
    std::lock_guard lock(m_mutex);
    for (const Job& job : m_queue)
        m_asked.remove(job.key);
    m_queue.clear();
}

void BrowsePictures::startWorkers()
{
    std::lock_guard lock(m_mutex);
    while (m_workers < m_pool.maxThreadCount() && std::size_t(m_workers) < m_queue.size()) {
        ++m_workers;
        m_pool.start([this] { work(); });
    }
}

void BrowsePictures::work()
{
    // The window's thread and the display server go first while the grid scrolls; the
    // pool still has the cores when they rest.
    runBelowTheWindow();
    for (;;) {
        Job job;
        {
            std::lock_guard lock(m_mutex);
            if (m_stopping || m_queue.empty()) {
                --m_workers;
                return;
            }
            job = std::move(m_queue.back());
            m_queue.pop_back();
        }
        const std::int64_t seconds = job.modified / 1'000'000'000;
        bool drawnNow = false;
        std::optional<DesignThumbnail> picture = m_folder.load(job.path, seconds, job.size);
        if (!picture) {
            picture = drawThumbnail(job.path, job.size);
            drawnNow = true;
            if (!picture->image.isNull())
                m_folder.store(job.path, seconds, job.size, *picture);
        }
        // Handed to the window's thread; dropped there if the pictures are gone by then.
        QMetaObject::invokeMethod(
            this, [this, job, picture = std::move(*picture), drawnNow] { deliver(job, picture, drawnNow); },
            Qt::QueuedConnection);
    }
}

void BrowsePictures::deliver(const Job& job, const DesignThumbnail& picture, bool drawnNow)
{
    m_asked.remove(job.key);
    if (drawnNow)
        ++m_drawn;
    if (picture.image.isNull())
        m_failed.insert(job.key);
    else
        m_memory.insert(job.key, new QImage(picture.image), int(std::max<qsizetype>(1, picture.image.sizeInBytes() / 1024)));
    emit pictureReady(QString::fromStdString(job.path), picture.figures);
}

void BrowsePictures::waitUntilIdle()
{
    for (;;) {
        m_pool.waitForDone();
        QCoreApplication::sendPostedEvents(this);
        std::lock_guard lock(m_mutex);
        if (m_queue.empty() && m_workers == 0 && m_asked.isEmpty())
            return;
    }
}

} // namespace orlika
