// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace orlika {

// Asks for the title printed at the top of each catalog page. It lives as long as the
// program, so the text entered stays for the next print run.
class TTitleDlg : public QDialog {
    Q_OBJECT
public:
    explicit TTitleDlg(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QLineEdit* Comments1 = nullptr;
    QPushButton* OKBtn = nullptr;

public slots:
    void OKBtnClick();
    /// Without a close box or a Cancel button the dialog only ends through OK.
    void reject() override {}
};

} // namespace orlika
