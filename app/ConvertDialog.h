// SPDX-License-Identifier: MIT
#pragma once

#include "app/ConvertJob.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace orlika {

// Convert To: the machine (or a format and hoop of one's own), the destination folder and
// what to do with a name that exists. Made once, it keeps what was chosen for the next
// time.
class TConvertDialog : public QDialog {
    Q_OBJECT
public:
    explicit TConvertDialog(QWidget* parent = nullptr);

    QComboBox* MachineCombo = nullptr;   // the machine profiles, then "Custom"
    QComboBox* FormatCombo = nullptr;    // the formats written, for Custom
    QSpinBox* HoopWidthSpin = nullptr;   // for Custom, in mm; 0: any size
    QSpinBox* HoopHeightSpin = nullptr;
    QCheckBox* TurnBox = nullptr;
    QLineEdit* FolderEdit = nullptr;
    QPushButton* BrowseButton = nullptr;
    QRadioButton* AskButton = nullptr;
    QRadioButton* SkipButton = nullptr;
    QRadioButton* ReplaceButton = nullptr;
    QPushButton* ConvertButton = nullptr;
    QPushButton* CancelButton = nullptr;

    /// The index of "Custom" in MachineCombo.
    int customIndex() const;
    /// Reads the order from the fields; returns what is wrong with one of them, or an
    /// empty text.
    QString read(ConvertOrder& order) const;

public slots:
    void BrowseButtonClick();
    void MachineComboChange();
};

} // namespace orlika
