// SPDX-License-Identifier: MIT
#include "app/RunSelection.h"

#include <QScopedValueRollback>

#include <algorithm>

namespace orlika {

RunSelection::RunSelection(Catalog& catalog, Canvas& page, QObject* parent)
    : QObject(parent), m_catalog(catalog), m_page(page)
{
    connect(&m_selectionModel, &QItemSelectionModel::selectionChanged, this, &RunSelection::selectionChanged);
}

void RunSelection::followRun()
{
    static const std::vector<std::string> none;
    const std::shared_ptr<const Run> run = m_catalog.run();
    m_designs.setRun(run ? run->folder : m_catalog.state().FolderPath, run ? run->entries : none);
    followCoreSelection();
}

void RunSelection::toggleAt(int x, int y)
{
    const int row = m_designs.rowOf(m_catalog.entryAt(x, y));
    if (row >= 0)
        m_selectionModel.select(m_designs.index(row), QItemSelectionModel::Toggle);
}

void RunSelection::followCoreSelection()
{
    // The core has it so already: nothing goes back to it.
    const QScopedValueRollback adopting(m_adopting, true);
    m_selectionModel.select(coreSelection(), QItemSelectionModel::ClearAndSelect);
}

void RunSelection::followCoreSelectionOffPage()
{
    const QScopedValueRollback offPage(m_namesOnPage, false);
    followCoreSelection();
}

void RunSelection::designsGone(const std::string& folder, const std::vector<std::string>& names, Gone how)
{
    // The core strikes them through and drops them from its selection; their rows then
    // leave the selection model with nothing more to hand back.
    m_catalog.markGone(folder, names, how);
    {
        const QScopedValueRollback adopting(m_adopting, true);
        m_designs.removeEntries(folder, names);
    }
    emit pageChanged();
}

void RunSelection::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    const std::vector<std::string> left = entriesOf(deselected);
    const std::vector<std::string> joined = entriesOf(selected);
    if (!m_adopting) {
        m_catalog.setSelected(left, false);
        m_catalog.setSelected(joined, true);
    }
    if (!m_namesOnPage)
        return;
    std::vector<std::string> changed = left;
    changed.insert(changed.end(), joined.begin(), joined.end());
    if (m_catalog.showSelectionOf(m_page, changed))
        emit pageChanged();
}

std::vector<std::string> RunSelection::entriesOf(const QItemSelection& selection) const
{
    std::vector<std::string> entries;
    for (const QItemSelectionRange& range : selection)
        for (int row = range.top(); row <= range.bottom(); ++row)
            entries.push_back(m_designs.entryAt(row));
    return entries;
}

QItemSelection RunSelection::coreSelection() const
{
    const CatalogState& s = m_catalog.state();
    QItemSelection selection;
    if (s.SelectedFolder != m_designs.folder())
        return selection;
    std::vector<int> rows;
    for (const std::string& entry : s.SelectedList.names())
        if (const int row = m_designs.rowOf(entry); row >= 0)
            rows.push_back(row);
    std::sort(rows.begin(), rows.end());
    for (std::size_t k = 0; k < rows.size();) {
        const int first = rows[k];
        int last = first;
        while (++k < rows.size() && rows[k] == last + 1)
            last = rows[k];
        selection.select(m_designs.index(first), m_designs.index(last));
    }
    return selection;
}

} // namespace orlika
