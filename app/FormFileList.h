// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

class QLabel;

namespace orlika {

// Shown while a file listing prints: a small fixed window without title-bar buttons.
class TFileListFr : public QWidget {
    Q_OBJECT
public:
    explicit TFileListFr(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;

    /// Shows the window centred on the screen and paints it at once.
    void showCentred();
};

} // namespace orlika
