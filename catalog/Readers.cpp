// SPDX-License-Identifier: MIT
// How the catalog hands a design to a reader: the cell context it builds from its state,
// and the reader routines, which forward to the reader modules.
#include "catalog/Catalog.h"

#include "decoders/Dst.h"
#include "decoders/Exp.h"
#include "decoders/Ksm.h"
#include "decoders/Pcd.h"
#include "decoders/Pes.h"

namespace orlika {

CellPoint Catalog::cellAnchor() const
{
    const int index = m_state.CellNo - 1;
    if (index < 0 || index >= int(m_state.CellOrigin.size()))
        return {};
    return m_state.CellOrigin[std::size_t(index)];
}

CellContext Catalog::cellContext(Canvas& canvas)
{
    auto& s = m_state;
    const CellGeometry cell{cellAnchor(), s.CellWidth,    s.CellHeight, s.HalfCellHeight,
                            s.LineHeight, s.CellsPerPage, s.Thumbnails, s.NoRemarks};
    return CellContext(canvas, cell, s, s.DesignPath, s.ColorTable,
                       CellServices{m_host, m_mainCanvas, s.SelectedList, s.CancelPressed});
}

void Catalog::readDesign(Canvas& canvas, void (*reader)(CellContext&, DesignFile&))
{
    CellContext cell = cellContext(canvas);
    reader(cell, designFile());
}

void Catalog::TajimaFormat(Canvas& canvas) { readDesign(canvas, &orlika::TajimaFormat); }
void Catalog::PESFormat(Canvas& canvas) { readDesign(canvas, &orlika::PESFormat); }
void Catalog::PCDesignerFormat(Canvas& canvas) { readDesign(canvas, &orlika::PCDesignerFormat); }
void Catalog::KSMFormat(Canvas& canvas) { readDesign(canvas, &orlika::KSMFormat); }
void Catalog::EXPFormat(Canvas& canvas) { readDesign(canvas, &orlika::EXPFormat); }

} // namespace orlika
