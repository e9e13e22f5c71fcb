// SPDX-License-Identifier: MIT
#include "app/Filemove.h"

namespace orlika {

TForm2::TForm2(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("ORLIKA Move Files"));
    setModal(true);
}

} // namespace orlika
