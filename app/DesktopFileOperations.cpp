// SPDX-License-Identifier: MIT
#include "app/DesktopFileOperations.h"

#include <QFile>

namespace orlika {

bool DesktopFileOperations::moveToTrash(const std::string& path)
{
    // Qt finds the trash of the file's own file system (the home trash, or one at the top
    // of a removable disk), as the file manager does; false where there is none.
    return QFile::moveToTrash(QString::fromStdString(path));
}

} // namespace orlika
