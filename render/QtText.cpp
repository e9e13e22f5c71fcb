// SPDX-License-Identifier: MIT
#include "render/QtText.h"

#include <QCollator>
#include <QDateTime>
#include <QLocale>

#include <memory>

namespace orlika {

std::string localDateTimeText()
{
    const QLocale locale = QLocale::system();
    const QDateTime now = QDateTime::currentDateTime();
    // The long time format ends in the time zone; the date line of a catalog page omits it.
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    timeFormat.remove(QStringLiteral(" t")).remove(QLatin1Char('t'));
    return (locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
            locale.toString(now.time(), timeFormat.trimmed()))
        .toStdString();
}

char localDecimalSeparator()
{
    const QString point = QLocale::system().decimalPoint();
    return point.size() == 1 && point.at(0).unicode() < 128 ? char(point.at(0).unicode()) : '.';
}

std::function<int(const std::string&, const std::string&)> localNameComparer()
{
    auto collator = std::make_shared<QCollator>(QLocale::system());
    collator->setCaseSensitivity(Qt::CaseInsensitive);
    return [collator](const std::string& a, const std::string& b) {
        return collator->compare(QString::fromStdString(a), QString::fromStdString(b));
    };
}

} // namespace orlika
