// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace orlika {

// Destination of copying or moving the selected designs. Made once, it keeps its
// folder and its check box from one use to the next.
class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    /// The destination folder: typed, or chosen with the folder button beside it.
    QLineEdit* DirectoryEdit = nullptr;
    QToolButton* BrowseButton = nullptr;
    QCheckBox* CopyBox1 = nullptr;
    QPushButton* BBOK = nullptr;
    QPushButton* BBCancel = nullptr;

    /// The folder the designs go to, without a trailing separator except for the root.
    QString directory() const;
    void setDirectory(const QString& folder);
    /// Tells the user why OK did not close the dialog (the main window's message box).
    std::function<void(const QString&)> warn;

public slots:
    void BBOKClick();
    void BBCancelClick();
    void CopyBox1Click();
    /// Opens a folder chooser on the current folder.
    void BrowseButtonClick();
};

} // namespace orlika
