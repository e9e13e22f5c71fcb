// SPDX-License-Identifier: MIT
#include "app/ConvertDialog.h"

#include "encoders/Profiles.h"

#include <QButtonGroup>
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
#include <QRadioButton>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QVBoxLayout>

namespace orlika {

namespace {

QString text(std::string_view view)
{
    return QString::fromUtf8(view.data(), qsizetype(view.size()));
}

QSpinBox* hoopSide(QWidget* parent, const char* name)
{
    auto* spin = new QSpinBox(parent);
    spin->setObjectName(QString::fromLatin1(name));
    spin->setRange(0, 2000);
    spin->setSuffix(QStringLiteral(" mm"));
    spin->setSpecialValueText(QStringLiteral("any"));
    return spin;
}

QRadioButton* choice(QWidget* parent, const char* name, const QString& caption)
{
    auto* button = new QRadioButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

} // namespace

TConvertDialog::TConvertDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ConvertDialog"));
    setWindowTitle(QStringLiteral("ORLIKA Convert To"));
    setModal(true);

    // Every profile is listed; one whose format has no writer yet says so and cannot be
    // chosen.
    MachineCombo = new QComboBox(this);
    MachineCombo->setObjectName(QStringLiteral("MachineCombo"));
    int firstWritten = -1;
    for (const MachineProfile& profile : machineProfiles()) {
        const bool written = targetOf(profile).encoder != nullptr;
        MachineCombo->addItem(text(profile.name) +
                              (written ? QString() : QStringLiteral(" (no writer for that format yet)")));
        if (!written)
            qobject_cast<QStandardItemModel*>(MachineCombo->model())->item(MachineCombo->count() - 1)->setEnabled(false);
        else if (firstWritten < 0)
            firstWritten = MachineCombo->count() - 1;
    }
    MachineCombo->addItem(QStringLiteral("Custom"));
    MachineCombo->setCurrentIndex(firstWritten < 0 ? customIndex() : firstWritten);
    FormatCombo = new QComboBox(this);
    FormatCombo->setObjectName(QStringLiteral("FormatCombo"));
    for (const Encoder& encoder : encoders())
        FormatCombo->addItem(text(encoder.name));
    HoopWidthSpin = hoopSide(this, "HoopWidthSpin");
    HoopHeightSpin = hoopSide(this, "HoopHeightSpin");
    TurnBox = new QCheckBox(QStringLiteral("&Turn designs that fit only when turned"), this);
    TurnBox->setObjectName(QStringLiteral("TurnBox"));
    FolderEdit = new QLineEdit(QDir::homePath(), this);
    FolderEdit->setObjectName(QStringLiteral("FolderEdit"));
    FolderEdit->setMinimumWidth(320);
    BrowseButton = new QPushButton(QStringLiteral("&Browse..."), this);
    BrowseButton->setObjectName(QStringLiteral("BrowseButton"));
    BrowseButton->setAutoDefault(false);
    AskButton = choice(this, "AskButton", QStringLiteral("&Ask"));
    SkipButton = choice(this, "SkipButton", QStringLiteral("&Skip"));
    ReplaceButton = choice(this, "ReplaceButton", QStringLiteral("&Replace"));
    AskButton->setChecked(true);
    auto* nameExists = new QButtonGroup(this);
    for (QRadioButton* button : {AskButton, SkipButton, ReplaceButton})
        nameExists->addButton(button);
    ConvertButton = new QPushButton(QStringLiteral("&Convert"), this);
    ConvertButton->setObjectName(QStringLiteral("ConvertButton"));
    ConvertButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setAutoDefault(false);

    connect(MachineCombo, &QComboBox::currentIndexChanged, this, &TConvertDialog::MachineComboChange);
    connect(BrowseButton, &QPushButton::clicked, this, &TConvertDialog::BrowseButtonClick);
    connect(ConvertButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    const auto labelled = [this](const QString& caption, QWidget* buddy) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(buddy);
        return label;
    };
    auto* hoopRow = new QHBoxLayout;
    hoopRow->addWidget(HoopWidthSpin);
    hoopRow->addWidget(labelled(QStringLiteral("x &height"), HoopHeightSpin));
    hoopRow->addWidget(HoopHeightSpin);
    hoopRow->addStretch(1);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(FolderEdit, 1);
    folderRow->addWidget(BrowseButton);
    auto* nameRow = new QHBoxLayout;
    for (QRadioButton* button : {AskButton, SkipButton, ReplaceButton})
        nameRow->addWidget(button);
    nameRow->addStretch(1);
    auto* form = new QFormLayout;
    form->addRow(labelled(QStringLiteral("&Machine:"), MachineCombo), MachineCombo);
    form->addRow(labelled(QStringLiteral("&Format:"), FormatCombo), FormatCombo);
    form->addRow(labelled(QStringLiteral("Hoop &width:"), HoopWidthSpin), hoopRow);
    form->addRow(QString(), TurnBox);
    form->addRow(labelled(QStringLiteral("&Destination:"), FolderEdit), folderRow);
    form->addRow(new QLabel(QStringLiteral("When a name exists:"), this), nameRow);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ConvertButton);
    buttons->addWidget(CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(new QLabel(QStringLiteral("Each file is read back and compared with the design before it "
                                                "takes its name; the designs themselves stay as they are."),
                                 this));
    layout->addLayout(buttons);
    MachineComboChange();
}

int TConvertDialog::customIndex() const
{
    return MachineCombo->count() - 1;
}

void TConvertDialog::MachineComboChange()
{
    const bool custom = MachineCombo->currentIndex() == customIndex();
    for (QWidget* field : std::initializer_list<QWidget*>{FormatCombo, HoopWidthSpin, HoopHeightSpin})
        field->setEnabled(custom);
}

void TConvertDialog::BrowseButtonClick()
{
    const QString chosen = QFileDialog::getExistingDirectory(this, QStringLiteral("Destination"), FolderEdit->text(),
                                                             QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    if (!chosen.isEmpty())
        FolderEdit->setText(chosen);
}

QString TConvertDialog::read(ConvertOrder& order) const
{
    order = ConvertOrder{};
    const int machine = MachineCombo->currentIndex();
    if (machine == customIndex()) {
        if (FormatCombo->currentIndex() >= 0)
            order.target.encoder = &encoders()[std::size_t(FormatCombo->currentIndex())];
        order.target.hoopWidthMm = HoopWidthSpin->value();
        order.target.hoopHeightMm = HoopHeightSpin->value();
    } else if (machine >= 0) {
        order.target = targetOf(machineProfiles()[std::size_t(machine)]);
    }
    if (!order.target.encoder)
        return QStringLiteral("There is no writer for that format yet: choose another machine.");
    order.turnToFit = TurnBox->isChecked();
    order.nameExists = SkipButton->isChecked()      ? NameExists::Skip
                       : ReplaceButton->isChecked() ? NameExists::Replace
                                                    : NameExists::Ask;
    const QString typed = FolderEdit->text().trimmed();
    if (typed.isEmpty())
        return QStringLiteral("Choose the destination folder.");
    // An existing folder must take new files; one that is not there yet is offered to be
    // made before any design converts.
    const QFileInfo folder(typed);
    if (folder.exists() && (!folder.isDir() || !folder.isWritable()))
        return typed + QStringLiteral(" is not an existing folder that can be written to. Choose another destination.");
    order.folder = QDir::cleanPath(folder.absoluteFilePath()).toStdString();
    return {};
}

} // namespace orlika
