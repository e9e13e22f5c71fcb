// SPDX-License-Identifier: MIT
#include "app/RunDesignsModel.h"

#include <algorithm>
#include <functional>

namespace orlika {

void RunDesignsModel::setRun(const std::string& folder, std::vector<std::string> entries)
{
    beginResetModel();
    m_folder = folder;
    m_entries = std::move(entries);
    indexEntries();
    endResetModel();
}

int RunDesignsModel::rowOf(const std::string& entry) const
{
    const auto found = m_rowOfEntry.find(entry);
    return found == m_rowOfEntry.end() ? -1 : found->second;
}

void RunDesignsModel::removeEntries(const std::string& folder, const std::vector<std::string>& entries)
{
    if (folder != m_folder)
        return;
    std::vector<int> rows;
    for (const std::string& entry : entries)
        if (const int row = rowOf(entry); row >= 0)
            rows.push_back(row);
    if (rows.empty())
        return;
    // From the last row back, a run of neighbours at a time: the rows before stay put.
    std::sort(rows.begin(), rows.end(), std::greater<>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    std::size_t k = 0;
    while (k < rows.size()) {
        const int last = rows[k];
        int first = last;
        while (++k < rows.size() && rows[k] == first - 1)
            first = rows[k];
        removeRowRange(first, last);
    }
    indexEntries();
}

void RunDesignsModel::removeRowRange(int first, int last)
{
    beginRemoveRows({}, first, last);
    m_entries.erase(m_entries.begin() + first, m_entries.begin() + last + 1);
    endRemoveRows();
}

void RunDesignsModel::indexEntries()
{
    m_rowOfEntry.clear();
    m_rowOfEntry.reserve(m_entries.size());
    for (std::size_t row = 0; row < m_entries.size(); ++row)
        m_rowOfEntry.emplace(m_entries[row], int(row));
}

int RunDesignsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

QVariant RunDesignsModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromStdString(entryAt(index.row()));
    return {};
}

} // namespace orlika
