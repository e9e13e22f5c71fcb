// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

namespace orlika {

// Destination of copying or moving the selected designs.
class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);
};

} // namespace orlika
