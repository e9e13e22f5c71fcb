// SPDX-License-Identifier: MIT
#include "app/FindDialog.h"

#include "decoders/Registry.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>


namespace orlika {

namespace {

QLineEdit* edit(QWidget* parent, const char* name, const QString& hint, int width = 80)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setPlaceholderText(hint);
    field->setMinimumWidth(width);
    return field;
}

QHBoxLayout* range(QLineEdit* low, QLineEdit* high, QWidget* after = nullptr)
{
    auto* row = new QHBoxLayout;
    row->addWidget(low);
    row->addWidget(new QLabel(QStringLiteral("to")));
    row->addWidget(high);
    if (after)
        row->addWidget(after);
    row->addStretch(1);
    return row;
}

QString hoopText(const Hoop& hoop)
{
    return QStringLiteral("%1 x %2 mm").arg(hoop.width).arg(hoop.height);
}

std::string text(const QLineEdit* field)
{
    return field->text().trimmed().toStdString();
}

} // namespace

TFindDialog::TFindDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FindDialog"));
    setWindowTitle(QStringLiteral("ORLIKA Find Designs"));
    setModal(true);

    FolderEdit = edit(this, "FolderEdit", QStringLiteral("the folder to search, with its subfolders"), 320);
    BrowseButton = new QToolButton(this);
    BrowseButton->setObjectName(QStringLiteral("BrowseButton"));
    BrowseButton->setText(QStringLiteral("..."));
    BrowseButton->setToolTip(QStringLiteral("Choose the folder"));
    NameEdit = edit(this, "NameEdit", QStringLiteral("rose*, *.pes (* and ?)"), 200);
    FormatCombo = new QComboBox(this);
    FormatCombo->setObjectName(QStringLiteral("FormatCombo"));
    FormatCombo->addItem(QStringLiteral("Any format"));
    for (const std::string& extension : designExtensions())
        FormatCombo->addItem(QString::fromStdString(extension.substr(1)));
    HoopCombo = new QComboBox(this);
    HoopCombo->setObjectName(QStringLiteral("HoopCombo"));
    HoopCombo->addItem(QStringLiteral("Any size"));
    for (const Hoop& hoop : commonHoops())
        HoopCombo->addItem(hoopText(hoop));
    HoopCombo->addItem(QStringLiteral("Custom size"));
    HoopWidthEdit = edit(this, "HoopWidthEdit", QStringLiteral("width"));
    HoopHeightEdit = edit(this, "HoopHeightEdit", QStringLiteral("height"));
    WidthMinEdit = edit(this, "WidthMinEdit", QStringLiteral("any"));
    WidthMaxEdit = edit(this, "WidthMaxEdit", QStringLiteral("any"));
    HeightMinEdit = edit(this, "HeightMinEdit", QStringLiteral("any"));
    HeightMaxEdit = edit(this, "HeightMaxEdit", QStringLiteral("any"));
    UnitCombo = new QComboBox(this);
    UnitCombo->setObjectName(QStringLiteral("UnitCombo"));
    UnitCombo->addItems({QStringLiteral("mm"), QStringLiteral("in")});
    StitchesMinEdit = edit(this, "StitchesMinEdit", QStringLiteral("any"));
    StitchesMaxEdit = edit(this, "StitchesMaxEdit", QStringLiteral("any"));
    ColorsMinEdit = edit(this, "ColorsMinEdit", QStringLiteral("any"));
    ColorsMaxEdit = edit(this, "ColorsMaxEdit", QStringLiteral("any"));
    ThreadEdit = edit(this, "ThreadEdit", QStringLiteral("part of a thread's name or code"), 200);
    SelectAllBox = new QCheckBox(QStringLiteral("Select every design found"), this);
    SelectAllBox->setObjectName(QStringLiteral("SelectAllBox"));
    ShowButton = new QPushButton(QStringLiteral("&Show"), this);
    ShowButton->setObjectName(QStringLiteral("ShowButton"));
    ShowButton->setDefault(true);
    PrintButton = new QPushButton(QStringLiteral("&Print"), this);
    PrintButton->setObjectName(QStringLiteral("PrintButton"));
    // Esc cancels; Alt+C is the colour changes'.
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));

    connect(BrowseButton, &QToolButton::clicked, this, &TFindDialog::BrowseButtonClick);
    connect(HoopCombo, &QComboBox::currentIndexChanged, this, &TFindDialog::HoopComboChange);
    connect(ShowButton, &QPushButton::clicked, this, [this] { done(kShow); });
    connect(PrintButton, &QPushButton::clicked, this, [this] { done(kPrint); });
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(FolderEdit, 1);
    folderRow->addWidget(BrowseButton);
    auto* hoopRow = new QHBoxLayout;
    hoopRow->addWidget(HoopCombo);
    hoopRow->addWidget(HoopWidthEdit);
    hoopRow->addWidget(new QLabel(QStringLiteral("x")));
    hoopRow->addWidget(HoopHeightEdit);
    hoopRow->addStretch(1);
    auto* form = new QFormLayout;
    // A row whose field is a row of its own gets no buddy from the form: each label names
    // the field its letter goes to, so that the letter works and no "&" shows.
    const auto labelled = [this](const QString& text, QWidget* buddy) {
        auto* label = new QLabel(text, this);
        label->setBuddy(buddy);
        return label;
    };
    form->addRow(labelled(QStringLiteral("&Folder:"), FolderEdit), folderRow);
    form->addRow(labelled(QStringLiteral("&Name:"), NameEdit), NameEdit);
    form->addRow(labelled(QStringLiteral("F&ormat:"), FormatCombo), FormatCombo);
    form->addRow(labelled(QStringLiteral("Fits &hoop:"), HoopCombo), hoopRow);
    form->addRow(labelled(QStringLiteral("&Width:"), WidthMinEdit), range(WidthMinEdit, WidthMaxEdit, UnitCombo));
    form->addRow(labelled(QStringLiteral("H&eight:"), HeightMinEdit), range(HeightMinEdit, HeightMaxEdit));
    form->addRow(labelled(QStringLiteral("S&titches:"), StitchesMinEdit), range(StitchesMinEdit, StitchesMaxEdit));
    form->addRow(labelled(QStringLiteral("&Colour changes:"), ColorsMinEdit), range(ColorsMinEdit, ColorsMaxEdit));
    // T is the stitches'.
    form->addRow(labelled(QStringLiteral("Th&read:"), ThreadEdit), ThreadEdit);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ShowButton);
    buttons->addWidget(PrintButton);
    buttons->addWidget(CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(new QLabel(QStringLiteral("Sizes without a unit are in the unit beside the width; "
                                                "a hoop fits either way round."),
                                 this));
    layout->addWidget(SelectAllBox);
    layout->addLayout(buttons);
    HoopComboChange();
}

int TFindDialog::customHoopIndex() const
{
    return HoopCombo->count() - 1;
}

void TFindDialog::HoopComboChange()
{
    const bool custom = HoopCombo->currentIndex() == customHoopIndex();
    HoopWidthEdit->setEnabled(custom);
    HoopHeightEdit->setEnabled(custom);
}

void TFindDialog::BrowseButtonClick()
{
    const QString start = FolderEdit->text().isEmpty() ? QDir::homePath() : FolderEdit->text();
    const QString chosen = QFileDialog::getExistingDirectory(this, QStringLiteral("Folder to search"), start);
    if (!chosen.isEmpty())
        FolderEdit->setText(chosen);
}

QString TFindDialog::read(std::string& folder, FindQuery& query) const
{
    const QFileInfo info(FolderEdit->text().trimmed());
    if (FolderEdit->text().trimmed().isEmpty() || !info.isDir())
        return QStringLiteral("Choose a folder to search: '%1' is not a folder.").arg(FolderEdit->text());
    folder = QDir::cleanPath(info.absoluteFilePath()).toStdString();
    if (folder.back() != '/')
        folder += '/';

    query = FindQuery{};
    DesignFilter& f = query.filter;
    const LengthUnit unit = UnitCombo->currentIndex() == 1 ? LengthUnit::Inch : LengthUnit::Millimetre;
    f.namePattern = text(NameEdit);
    if (FormatCombo->currentIndex() > 0)
        f.format = FormatCombo->currentText().toStdString();
    f.thread = text(ThreadEdit);
    const int hoop = HoopCombo->currentIndex();
    if (hoop == customHoopIndex()) {
        double width = 0, height = 0;
        if (!parseHoop(text(HoopWidthEdit) + "x" + text(HoopHeightEdit), width, height, unit))
            return QStringLiteral("The custom hoop size needs a width and a height.");
        f.hoopWidthMm = width;
        f.hoopHeightMm = height;
    } else if (hoop > 0) {
        const Hoop& chosen = commonHoops()[std::size_t(hoop - 1)];
        f.hoopWidthMm = chosen.width;
        f.hoopHeightMm = chosen.height;
    }
    // A pair of fields is a range: either may stay empty.
    const auto pair = [](const QLineEdit* low, const QLineEdit* high) {
        return text(low).empty() && text(high).empty() ? std::string() : text(low) + ":" + text(high);
    };
    if (const std::string width = pair(WidthMinEdit, WidthMaxEdit);
        !width.empty() && !parseLengthRange(width, f.minWidthMm, f.maxWidthMm, unit))
        return QStringLiteral("The width needs sizes, the smaller first.");
    if (const std::string height = pair(HeightMinEdit, HeightMaxEdit);
        !height.empty() && !parseLengthRange(height, f.minHeightMm, f.maxHeightMm, unit))
        return QStringLiteral("The height needs sizes, the smaller first.");
    if (const std::string stitches = pair(StitchesMinEdit, StitchesMaxEdit);
        !stitches.empty() && !parseCountRange(stitches, f.minStitches, f.maxStitches))
        return QStringLiteral("The stitches need whole numbers, the smaller first.");
    if (const std::string colors = pair(ColorsMinEdit, ColorsMaxEdit);
        !colors.empty() && !parseCountRange(colors, f.minColorChanges, f.maxColorChanges))
        return QStringLiteral("The colour changes need whole numbers, the smaller first.");
    return {};
}

} // namespace orlika
