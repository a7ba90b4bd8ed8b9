#include "Kelvora/DateFormatter.h"

#include <gtest/gtest.h>

// The modification column: day, month name and year, hours and minutes, in
// the user's locale; no weekday, no seconds, no English joined in.
TEST(DateFormatter, WritesTheLongDateWithoutWeekdayAndTheShortTime)
{
    const QDateTime date(QDate(2026, 12, 11), QTime(13, 35, 7));
    struct Case {
        const char* locale;
        const char* exact; // empty: checked by its pieces only
    };
    const Case cases[] = {
        {"en_US", "December 11, 2026 1:35 PM"},
        {"de_DE", "11. Dezember 2026 13:35"},
        {"fr_FR", ""},
        {"es_ES", ""},
        {"ja_JP", ""},
        {"ar_EG", ""},
        {"C", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locale);
        const QLocale locale(QString::fromLatin1(c.locale));
        const QString text = DateFormatter(locale).stringFromDate(date);
        if (*c.exact)
            EXPECT_EQ(text.toStdString(), c.exact);
        EXPECT_TRUE(text.contains(locale.toString(date.date(), QStringLiteral("MMMM")))) << text.toStdString();
        EXPECT_TRUE(text.contains(locale.toString(date.time(), QStringLiteral("mm")))) << text.toStdString();
        EXPECT_TRUE(text.contains(locale.toString(date.date(), QStringLiteral("yyyy")))) << text.toStdString();
        EXPECT_FALSE(text.contains(locale.dayName(date.date().dayOfWeek(), QLocale::LongFormat))) << text.toStdString();
        EXPECT_FALSE(text.contains(locale.toString(date.time(), QStringLiteral(":ss")))) << text.toStdString();
        EXPECT_FALSE(text.contains(QStringLiteral(" at "))) << text.toStdString();
        EXPECT_FALSE(text.startsWith(u',') || text.startsWith(u' ') || text.endsWith(u',')) << text.toStdString();
    }
}
