#include "Kelvora/ByteCountFormatter.h"

#include <QLocale>

#include <cmath>

std::string byteCountString(int64_t bytes)
{
    if (bytes == 0)
        return "Zero KB";
    const double magnitude = std::fabs(static_cast<double>(bytes));
    if (magnitude < 1000) {
        const auto text = QLocale().toString(static_cast<qlonglong>(bytes)).toStdString();
        return text + (magnitude == 1 ? " byte" : " bytes");
    }
    static constexpr struct {
        const char* unit;
        int decimals;
    } units[] = {{"KB", 0}, {"MB", 1}, {"GB", 2}, {"TB", 2}, {"PB", 2}, {"EB", 2}};
    double value = static_cast<double>(bytes) / 1000;
    size_t unit = 0;
    while (std::fabs(std::round(value * std::pow(10, units[unit].decimals)) / std::pow(10, units[unit].decimals)) >= 1000
           && unit + 1 < std::size(units)) {
        value /= 1000;
        ++unit;
    }
    QString number = QLocale().toString(value, 'f', units[unit].decimals);
    // Trailing zeros go: "1 MB", not "1.0 MB".
    const QString point = QLocale().decimalPoint();
    if (number.contains(point)) {
        while (number.endsWith(u'0'))
            number.chop(1);
        if (number.endsWith(point))
            number.chop(point.size());
    }
    return number.toStdString() + " " + units[unit].unit;
}
