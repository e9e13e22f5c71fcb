// SPDX-License-Identifier: MIT
// The main window's selection: a selection model over the designs of the run on the
// pages. The core's SelectedList follows the selection model, and the names on the page
// on display are written red or black as the selection of their rows changes.
#pragma once

#include "app/RunDesignsModel.h"
#include "catalog/Catalog.h"

#include <QItemSelectionModel>

#include <string>
#include <vector>

namespace orlika {

class RunSelection : public QObject {
    Q_OBJECT
public:
    /// The selection of `catalog`'s runs, whose page on display is drawn on `page`.
    RunSelection(Catalog& catalog, Canvas& page, QObject* parent = nullptr);

    RunDesignsModel& designs() { return m_designs; }
    QItemSelectionModel& selectionModel() { return m_selectionModel; }

    /// A run on screen has listed its designs: they are the rows now, selected where the
    /// core's selection holds them.
    void followRun();
    /// A right-button release at (x, y) over the page: the design under it, if any,
    /// changes its selection.
    void toggleAt(int x, int y);
    /// A command changed the core's selection (cleared it, made a new one): the rows'
    /// selection and the names on display follow it.
    void followCoreSelection();
    /// As followCoreSelection(), leaving the names on display as they are: a print run
    /// does not touch the page on display.
    void followCoreSelectionOffPage();
    /// The designs `names` of `folder` were deleted or moved away: their cells show them
    /// struck through, and their rows leave the model and the selection.
    void designsGone(const std::string& folder, const std::vector<std::string>& names, Gone how);

signals:
    /// Name lines on the page on display were written again.
    void pageChanged();

private:
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
    /// The entries of the rows in `selection`.
    std::vector<std::string> entriesOf(const QItemSelection& selection) const;
    /// The rows the core's selection holds, as ranges of neighbours.
    QItemSelection coreSelection() const;

    Catalog& m_catalog;
    Canvas& m_page;
    RunDesignsModel m_designs;
    QItemSelectionModel m_selectionModel{&m_designs};
    bool m_adopting = false;       // the rows follow the core: nothing goes back to it
    bool m_namesOnPage = true;     // changes are written on the page on display
};

} // namespace orlika
