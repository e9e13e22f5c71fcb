// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace orlika {

// The about box: program icon, product name, version and the formats catalogued.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    QLabel* ProgramIcon = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QLabel* Comments = nullptr;
    QPushButton* OKButton = nullptr;

public slots:
    void OKButtonClick();
};

/// The program's icon: a design in its hoop.
QPixmap programIcon(int size);

} // namespace orlika
