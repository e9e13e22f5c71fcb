// SPDX-License-Identifier: MIT
#include "app/Filemove.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace orlika {

TForm2::TForm2(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("ORLIKA Move Files"));
    setModal(true);

    // A folder chooser stands where drive and folder lists used to: Linux has one tree.
    Label1 = new QLabel(QStringLiteral("Destination:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    DirectoryEdit = new QLineEdit(QDir::homePath(), this);
    DirectoryEdit->setObjectName(QStringLiteral("DirectoryEdit"));
    DirectoryEdit->setMinimumWidth(320);
    Label1->setBuddy(DirectoryEdit);
    BrowseButton = new QToolButton(this);
    BrowseButton->setObjectName(QStringLiteral("BrowseButton"));
    BrowseButton->setText(QStringLiteral("..."));
    BrowseButton->setToolTip(QStringLiteral("Choose the destination folder"));
    CopyBox1 = new QCheckBox(QStringLiteral("Copy Files"), this);
    CopyBox1->setObjectName(QStringLiteral("CopyBox1"));
    BBOK = new QPushButton(QStringLiteral("&OK"), this);
    BBOK->setObjectName(QStringLiteral("BBOK"));
    BBOK->setDefault(true);
    BBCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    BBCancel->setObjectName(QStringLiteral("BBCancel"));

    connect(BBOK, &QPushButton::clicked, this, &TForm2::BBOKClick);
    connect(BBCancel, &QPushButton::clicked, this, &TForm2::BBCancelClick);
    connect(CopyBox1, &QCheckBox::toggled, this, &TForm2::CopyBox1Click);
    connect(BrowseButton, &QToolButton::clicked, this, &TForm2::BrowseButtonClick);

    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(DirectoryEdit, 1);
    folderRow->addWidget(BrowseButton);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BBOK);
    buttons->addWidget(BBCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addLayout(folderRow);
    layout->addWidget(CopyBox1);
    layout->addLayout(buttons);
}

QString TForm2::directory() const
{
    QString folder = QDir::cleanPath(DirectoryEdit->text().trimmed());
    return folder.isEmpty() ? QDir::homePath() : folder;
}

void TForm2::setDirectory(const QString& folder)
{
    DirectoryEdit->setText(folder);
}

void TForm2::BBOKClick()
{
    // An existing folder must take new files; anything else there would fail file by file
    // with a message that does not say why. A folder that is not there yet is offered to
    // be made once the dialog has closed.
    const QFileInfo folder(directory());
    if (folder.exists() && (!folder.isDir() || !folder.isWritable())) {
        if (warn)
            warn(directory() + QStringLiteral(" is not an existing folder that can be written to. "
                                              "Choose another destination."));
        DirectoryEdit->setFocus();
        return;
    }
    done(QDialog::Accepted);
}

void TForm2::BBCancelClick()
{
    done(QDialog::Rejected);
}

void TForm2::CopyBox1Click()
{
    setWindowTitle(CopyBox1->isChecked() ? QStringLiteral("ORLIKA Copy Files") : QStringLiteral("ORLIKA Move Files"));
}

void TForm2::BrowseButtonClick()
{
    const QString chosen = QFileDialog::getExistingDirectory(this, QStringLiteral("Destination"), directory(),
                                                             QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    if (!chosen.isEmpty())
        setDirectory(chosen);
}

} // namespace orlika
