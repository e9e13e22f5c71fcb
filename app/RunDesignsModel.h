// SPDX-License-Identifier: MIT
// The designs of the run on the pages as a list model: a row per entry of the run's list
// (a name, or a path relative to the folder in a tree's run), in the run's order. The
// window's selection model sits on it; a design deleted or moved away leaves it.
#pragma once

#include <QAbstractListModel>

#include <string>
#include <unordered_map>
#include <vector>

namespace orlika {

class RunDesignsModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    /// The designs of a run over `folder` (ending in '/'): every row is new.
    void setRun(const std::string& folder, std::vector<std::string> entries);
    const std::string& folder() const { return m_folder; }
    const std::string& entryAt(int row) const { return m_entries[std::size_t(row)]; }
    /// The row of the entry, or -1.
    int rowOf(const std::string& entry) const;
    /// The designs `entries` of `folder` went (deleted, moved away): their rows leave.
    /// Entries of another folder, or not in the run, change nothing.
    void removeEntries(const std::string& folder, const std::vector<std::string>& entries);

    int rowCount(const QModelIndex& parent = {}) const override;
    /// The display role: the list entry.
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    /// Removes the rows from `first` to `last` and every one after them stays in order.
    void removeRowRange(int first, int last);
    void indexEntries();

    std::string m_folder;
    std::vector<std::string> m_entries;
    std::unordered_map<std::string, int> m_rowOfEntry;
};

} // namespace orlika
