// SPDX-License-Identifier: MIT
#include "app/DesktopFileOperations.h"

#include <QFile>

namespace orlika {

TrashOutcome DesktopFileOperations::moveToTrash(const std::string& path)
{
    // A write-protected design stays, as Delete has always left it; a trash would take it.
    if (cannotBeRemoved(path))
        return TrashOutcome::Refused;
    // Qt finds the trash of the file's own file system (the home trash, or one at the top
    // of a removable disk), as the file manager does; false where there is none.
    return QFile::moveToTrash(QString::fromStdString(path)) ? TrashOutcome::Trashed : TrashOutcome::NoTrash;
}

} // namespace orlika
