// SPDX-License-Identifier: MIT
// The designs of a folder as a list model: the browse grid shows it, a selection model
// over it holds what the user picked. A name pattern narrows it and an order sorts it
// without losing the selection of the designs still shown; a design gone leaves it.
#pragma once

#include "collection/BrowseList.h"

#include <QAbstractListModel>
#include <QHash>

#include <optional>
#include <string>
#include <vector>

namespace orlika {

class BrowsePictures;

class BrowseModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role {
        PathRole = Qt::UserRole + 1,  // the design's full path (QString)
        FolderRole,                   // its folder, ending in '/'
        FiguresRole,                  // "12.3 x 45.6 mm, 3,024 st.", empty until known
        SizeOnDiskRole,               // bytes (qint64)
        ModifiedRole,                 // QDateTime
        StitchesRole,                 // qint64, or nothing until known
        ColorChangesRole,             // qint64, or nothing until known
        PictureRole,                  // QImage, null until made; asking queues it
        PictureFailedRole,            // true when the design cannot be drawn
    };

    explicit BrowseModel(BrowsePictures& pictures, QObject* parent = nullptr);

    /// Another folder's designs: the selection and the view start anew.
    void setEntries(std::vector<BrowseEntry> entries);
    /// The same folder listed again: designs gone leave, new ones come in their place in
    /// the order, a changed file is drawn again; the selection of the others stays.
    void updateEntries(std::vector<BrowseEntry> entries);
    /// Designs that left their folder through ORLIKA (deleted, moved).
    void removePaths(const std::vector<std::string>& paths);

    /// Narrows the designs shown to those that answer what was typed: a name and the
    /// filters of Find Designs (collection/BrowseList.h, readBrowseSearch).
    void setSearch(const QString& typed);
    const BrowseSearch& search() const { return m_search; }
    /// The designs listed whose figures are not yet known.
    int unfiguredCount() const;
    void setOrder(BrowseOrder order);
    BrowseOrder order() const { return m_order; }
    /// The picture size the grid asks for, in device pixels.
    void setPictureSize(int pixels);
    int pictureSize() const { return m_pictureSize; }

    /// All the designs listed, shown or not.
    int listedCount() const { return int(m_entries.size()); }
    const BrowseEntry& entryAt(int row) const { return m_entries[std::size_t(m_shown[std::size_t(row)])]; }
    /// The row showing the design, or -1.
    int rowOf(const std::string& path) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    /// The designs' files as text/uri-list, for a file manager (an archive's entry has none).
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction | Qt::MoveAction; }

private:
    void pictureReady(const QString& path, const std::optional<BrowseFigures>& figures);
    /// The entries to show, narrowed and sorted.
    std::vector<int> shownEntries() const;
    /// Fills the rows from the entries, narrowed and sorted.
    void showRows();
    /// Shows the rows anew (of the entries listed again, where given), keeping every
    /// persistent index on its design, or dropping it where its design is no longer shown.
    void relayout(std::vector<BrowseEntry>* listedAgain);
    void indexPaths();

    BrowsePictures& m_pictures;
    std::vector<BrowseEntry> m_entries;
    std::vector<int> m_shown;             // entries by row
    QHash<QString, int> m_entryOfPath;
    std::vector<int> m_rowOfEntry;        // -1 where not shown
    QString m_typed;
    BrowseSearch m_search;
    BrowseOrder m_order = BrowseOrder::Name;
    int m_pictureSize = 128;
};

/// "12.3 x 45.6 mm, 3,024 st."
QString figuresLine(const BrowseFigures& figures);

} // namespace orlika
