// SPDX-License-Identifier: MIT
#include "app/AboutBox.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtMath>

namespace orlika {

QPixmap programIcon(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF hoop(size * 0.06, size * 0.06, size * 0.88, size * 0.88);
    painter.setPen(QPen(QColor(150, 100, 50), size / 16.0));
    painter.setBrush(Qt::white);
    painter.drawEllipse(hoop);
    // A star in running stitches, the kind of picture the catalog draws.
    QPainterPath star;
    const QPointF centre = hoop.center();
    for (int i = 0; i <= 10; ++i) {
        const double radius = (i % 2 ? 0.17 : 0.36) * size;
        const double angle = -M_PI / 2 + i * M_PI / 5;
        const QPointF point(centre.x() + radius * std::cos(angle), centre.y() + radius * std::sin(angle));
        if (i == 0)
            star.moveTo(point);
        else
            star.lineTo(point);
    }
    painter.setPen(QPen(QColor(200, 0, 0), size / 24.0, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(star);
    return pixmap;
}

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About ORLIKA"));
    setModal(true);

    auto* panel = new QFrame(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(2);

    ProgramIcon = new QLabel(panel);
    ProgramIcon->setPixmap(programIcon(64));
    ProductName = new QLabel(QStringLiteral("ORLIKA"), panel);
    QFont big = ProductName->font();
    big.setPixelSize(20);
    big.setBold(true);
    ProductName->setFont(big);
    Version = new QLabel(QStringLiteral("Version 3.00W95/98 10 Dec 1999"), panel);
    Comments = new QLabel(QStringLiteral("Catalogs machine-embroidery designs in the PCD, PCQ and PCS, Brother PES, "
                                         "Tajima DST, Melco EXP, Pfaff KSM and Janome SEW formats."),
                          panel);
    Comments->setWordWrap(true);

    auto* top = new QHBoxLayout;
    top->addWidget(ProgramIcon, 0, Qt::AlignTop);
    auto* names = new QVBoxLayout;
    names->addWidget(ProductName);
    names->addWidget(Version);
    top->addLayout(names, 1);
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->addLayout(top);
    panelLayout->addWidget(Comments);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &TAboutBox::OKButtonClick);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel);
    layout->addWidget(OKButton, 0, Qt::AlignHCenter);
    setFixedSize(340, 230);
}

void TAboutBox::OKButtonClick()
{
    done(QDialog::Accepted);
}

} // namespace orlika
