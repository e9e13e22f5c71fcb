// SPDX-License-Identifier: MIT
#include "app/FormFileList.h"

namespace orlika {

TFileListFr::TFileListFr(QWidget* parent) : QWidget(parent, Qt::Dialog)
{
    setObjectName(QStringLiteral("FileListFr"));
    setWindowTitle(QStringLiteral("ORLIKA File Listing"));
}

} // namespace orlika
