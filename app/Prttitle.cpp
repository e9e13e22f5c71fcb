// SPDX-License-Identifier: MIT
#include "app/Prttitle.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace orlika {

TTitleDlg::TTitleDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("TitleDlg"));
    setWindowTitle(QStringLiteral("ORLIKA Page Title"));
    setModal(true);

    Label1 = new QLabel(QStringLiteral("In the box below, enter any comments you would like printed at the top "
                                       "of each Page.  This may be left blank if desired."),
                        this);
    Label1->setWordWrap(true);
    Comments1 = new QLineEdit(this);
    Comments1->setMaxLength(150);
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &TTitleDlg::OKBtnClick);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Comments1);
    layout->addWidget(OKBtn, 0, Qt::AlignHCenter);
    setMinimumWidth(460);
}

void TTitleDlg::OKBtnClick()
{
    done(QDialog::Accepted);
}

} // namespace orlika
