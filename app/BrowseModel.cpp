// SPDX-License-Identifier: MIT
#include "app/BrowseModel.h"

#include "app/BrowsePictures.h"
#include "catalog/DesignPaths.h"

#include <QDateTime>
#include <QLocale>
#include <QMimeData>
#include <QUrl>

#include <algorithm>
#include <numeric>

namespace orlika {

QString figuresLine(const BrowseFigures& figures)
{
    const QLocale locale;
    return QStringLiteral("%1 x %2 mm, %3 st.")
        .arg(figures.widthMm, 0, 'f', 1)
        .arg(figures.heightMm, 0, 'f', 1)
        .arg(locale.toString(qlonglong(figures.stitches)));
}

BrowseModel::BrowseModel(BrowsePictures& pictures, QObject* parent) : QAbstractListModel(parent), m_pictures(pictures)
{
    connect(&m_pictures, &BrowsePictures::pictureReady, this, &BrowseModel::pictureReady);
}

void BrowseModel::indexPaths()
{
    m_entryOfPath.clear();
    m_entryOfPath.reserve(qsizetype(m_entries.size()));
    for (std::size_t i = 0; i < m_entries.size(); ++i)
        m_entryOfPath.insert(QString::fromStdString(m_entries[i].path), int(i));
}

std::vector<int> BrowseModel::shownEntries() const
{
    std::vector<int> shown;
    shown.reserve(m_entries.size());
    for (std::size_t i = 0; i < m_entries.size(); ++i)
        if (searchMatches(m_search, m_entries[i]))
            shown.push_back(int(i));
    std::sort(shown.begin(), shown.end(), [this](int a, int b) {
        return browsesBefore(m_entries[std::size_t(a)], m_entries[std::size_t(b)], m_order);
    });
    return shown;
}

void BrowseModel::setEntries(std::vector<BrowseEntry> entries)
{
    beginResetModel();
    m_entries = std::move(entries);
    indexPaths();
    showRows();
    endResetModel();
}

void BrowseModel::showRows()
{
    m_shown = shownEntries();
    m_rowOfEntry.assign(m_entries.size(), -1);
    for (std::size_t row = 0; row < m_shown.size(); ++row)
        m_rowOfEntry[std::size_t(m_shown[row])] = int(row);
}

void BrowseModel::relayout(std::vector<BrowseEntry>* listedAgain)
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // Every persistent index (the selection, the current item) follows its design by path.
    const QModelIndexList before = persistentIndexList();
    std::vector<std::string> paths;
    paths.reserve(std::size_t(before.size()));
    for (const QModelIndex& index : before)
        paths.push_back(index.isValid() && index.row() < rowCount() ? entryAt(index.row()).path : std::string());
    if (listedAgain) {
        m_entries = std::move(*listedAgain);
        indexPaths();
    }
    showRows();
    QModelIndexList after;
    after.reserve(before.size());
    for (const std::string& path : paths) {
        const int row = path.empty() ? -1 : rowOf(path);
        after << (row >= 0 ? index(row) : QModelIndex());
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void BrowseModel::updateEntries(std::vector<BrowseEntry> entries)
{
    // Figures read before stay with a file that has not changed since.
    for (BrowseEntry& entry : entries) {
        const auto known = m_entryOfPath.constFind(QString::fromStdString(entry.path));
        if (known == m_entryOfPath.cend() || entry.figures)
            continue;
        const BrowseEntry& old = m_entries[std::size_t(*known)];
        if (old.modified == entry.modified)
            entry.figures = old.figures;
    }
    relayout(&entries);
}

void BrowseModel::removePaths(const std::vector<std::string>& paths)
{
    std::vector<BrowseEntry> kept;
    kept.reserve(m_entries.size());
    for (const BrowseEntry& entry : m_entries)
        if (std::find(paths.begin(), paths.end(), entry.path) == paths.end())
            kept.push_back(entry);
    if (kept.size() != m_entries.size())
        updateEntries(std::move(kept));
}

void BrowseModel::setSearch(const QString& typed)
{
    if (typed == m_typed)
        return;
    m_typed = typed;
    m_search = readBrowseSearch(typed.toStdString());
    relayout(nullptr);
}

int BrowseModel::unfiguredCount() const
{
    return int(std::count_if(m_entries.begin(), m_entries.end(), [](const BrowseEntry& e) { return !e.figures; }));
}

void BrowseModel::setOrder(BrowseOrder order)
{
    if (order == m_order)
        return;
    m_order = order;
    relayout(nullptr);
}

void BrowseModel::setPictureSize(int pixels)
{
    if (pixels == m_pictureSize)
        return;
    m_pictureSize = pixels;
    if (!m_shown.empty())
        emit dataChanged(index(0), index(rowCount() - 1), {PictureRole, PictureFailedRole});
}

int BrowseModel::rowOf(const std::string& path) const
{
    const auto found = m_entryOfPath.constFind(QString::fromStdString(path));
    return found == m_entryOfPath.cend() ? -1 : m_rowOfEntry[std::size_t(*found)];
}

int BrowseModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_shown.size());
}

QVariant BrowseModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const BrowseEntry& entry = entryAt(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdString(entry.name);
    case Qt::ToolTipRole:
        return QString::fromStdString(designDisplayPath(entry.path));
    case PathRole:
        return QString::fromStdString(entry.path);
    case FolderRole:
        return QString::fromStdString(entry.folder);
    case FiguresRole:
        return entry.figures ? figuresLine(*entry.figures) : QString();
    case SizeOnDiskRole:
        return qint64(entry.size);
    case ModifiedRole:
        return QDateTime::fromMSecsSinceEpoch(entry.modified / 1'000'000);
    case StitchesRole:
        return entry.figures ? QVariant(qint64(entry.figures->stitches)) : QVariant();
    case ColorChangesRole:
        return entry.figures ? QVariant(qint64(entry.figures->colorChanges)) : QVariant();
    case PictureRole: {
        const QImage* image = m_pictures.picture(entry.path, entry.modified, m_pictureSize);
        return image ? *image : QImage();
    }
    case PictureFailedRole:
        return m_pictures.failed(entry.path, entry.modified, m_pictureSize);
    default:
        return {};
    }
}

Qt::ItemFlags BrowseModel::flags(const QModelIndex& index) const
{
    const Qt::ItemFlags base = QAbstractListModel::flags(index);
    return index.isValid() ? base | Qt::ItemIsDragEnabled : base;
}

QStringList BrowseModel::mimeTypes() const
{
    return {QStringLiteral("text/uri-list")};
}

QMimeData* BrowseModel::mimeData(const QModelIndexList& indexes) const
{
    QList<QUrl> urls;
    for (const QModelIndex& index : indexes) {
        if (!index.isValid() || index.row() >= rowCount())
            continue;
        const std::string& path = entryAt(index.row()).path;
        if (!isArchiveEntry(path))
            urls << QUrl::fromLocalFile(QString::fromStdString(path));
    }
    if (urls.isEmpty())
        return nullptr;
    auto* data = new QMimeData;
    data->setUrls(urls);
    return data;
}

void BrowseModel::pictureReady(const QString& path, const std::optional<BrowseFigures>& figures)
{
    const auto found = m_entryOfPath.constFind(path);
    if (found == m_entryOfPath.cend())
        return;
    BrowseEntry& entry = m_entries[std::size_t(*found)];
    QList<int> roles{PictureRole, PictureFailedRole};
    if (figures && !entry.figures) {
        entry.figures = figures;
        roles << FiguresRole << StitchesRole << ColorChangesRole;
    }
    if (const int row = m_rowOfEntry[std::size_t(*found)]; row >= 0)
        emit dataChanged(index(row), index(row), roles);
}

} // namespace orlika
