#pragma once
// Dates as the platform writes them with date style long and time style
// short ("December 11, 2026 at 1:35 AM"): day, month name and year without
// the weekday, hours and minutes, in the pieces and order of the locale.

#include <QDateTime>
#include <QLocale>
#include <QString>

class DateFormatter {
public:
    explicit DateFormatter(QLocale locale = QLocale());

    QString stringFromDate(const QDateTime& date) const;
    // The Qt format pattern the dates are written with.
    const QString& format() const { return format_; }

private:
    QLocale locale_;
    QString format_;
};
