// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

namespace orlika {

// Shown while a file listing prints.
class TFileListFr : public QWidget {
    Q_OBJECT
public:
    explicit TFileListFr(QWidget* parent = nullptr);
};

} // namespace orlika
