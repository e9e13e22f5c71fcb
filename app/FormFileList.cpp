// SPDX-License-Identifier: MIT
#include "app/FormFileList.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace orlika {

TFileListFr::TFileListFr(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("FileListFr"));
    setWindowTitle(QStringLiteral("ORLIKA File Listing"));
    Label1 = new QLabel(QStringLiteral("One moment please..."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2 = new QLabel(QStringLiteral("Printing File Listing."), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 16, 24, 16);
    layout->addWidget(Label1);
    layout->addWidget(Label2, 0, Qt::AlignHCenter);
    setFixedSize(sizeHint().expandedTo(QSize(260, 90)));
}

void TFileListFr::showCentred()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area = rect();
        area.moveCenter(screen->availableGeometry().center());
        move(area.topLeft());
    }
    show();
    raise();
    repaint();
}

} // namespace orlika
