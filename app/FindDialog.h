// SPDX-License-Identifier: MIT
#pragma once

#include "collection/Find.h"

#include <QDialog>

#include <string>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace orlika {

// Find Designs: a folder tree and what the designs in it must be. Made once, it keeps what
// was asked for the next time. It closes with Show (kShow) or Print (kPrint).
class TFindDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kShow = 1;
    static constexpr int kPrint = 2;

    explicit TFindDialog(QWidget* parent = nullptr);

    QLineEdit* FolderEdit = nullptr;
    QToolButton* BrowseButton = nullptr;
    QLineEdit* NameEdit = nullptr;
    QComboBox* FormatCombo = nullptr;     // "Any format", then the extensions
    QComboBox* HoopCombo = nullptr;       // "Any size", the common hoops, "Custom size"
    QLineEdit* HoopWidthEdit = nullptr;   // the custom size
    QLineEdit* HoopHeightEdit = nullptr;
    QLineEdit* WidthMinEdit = nullptr;
    QLineEdit* WidthMaxEdit = nullptr;
    QLineEdit* HeightMinEdit = nullptr;
    QLineEdit* HeightMaxEdit = nullptr;
    QComboBox* UnitCombo = nullptr;       // of the sizes typed without a unit: mm or in
    QLineEdit* StitchesMinEdit = nullptr;
    QLineEdit* StitchesMaxEdit = nullptr;
    QLineEdit* ColorsMinEdit = nullptr;
    QLineEdit* ColorsMaxEdit = nullptr;
    QLineEdit* ThreadEdit = nullptr;
    QCheckBox* SelectAllBox = nullptr;
    QPushButton* ShowButton = nullptr;
    QPushButton* PrintButton = nullptr;
    QPushButton* CancelButton = nullptr;

    /// The index of the custom size in HoopCombo.
    int customHoopIndex() const;
    /// Reads the folder (ending in '/') and the query from the fields; returns what is
    /// wrong with one of them, or an empty text.
    QString read(std::string& folder, FindQuery& query) const;

public slots:
    void BrowseButtonClick();
    void HoopComboChange();
};

} // namespace orlika
