#include "Platform/Foundation/StringCompare.h"

#include <QCollator>
#include <QLocale>
#include <QString>

namespace Foundation {

namespace {

QString nfd(const std::string& s)
{
    return QString::fromStdString(s).normalized(QString::NormalizationForm_D);
}

ComparisonResult fromInt(int c)
{
    return c < 0 ? ComparisonResult::orderedAscending
                 : c > 0 ? ComparisonResult::orderedDescending : ComparisonResult::orderedSame;
}

// A collator serves one thread at a time; each thread keeps its own, renewed
// when the default locale changes.
QCollator& collator(bool caseSensitive)
{
    thread_local QCollator insensitive;
    thread_local QCollator sensitive;
    thread_local QLocale locale("xx"); // no locale yet
    if (locale != QLocale()) {
        locale = QLocale();
        // The C locale's collation is plain code-point order, without numeric
        // mode: English collation stands in for it.
        const QLocale collation = locale.language() == QLocale::C ? QLocale(QLocale::English) : locale;
        for (QCollator* c : {&insensitive, &sensitive}) {
            c->setLocale(collation);
            c->setNumericMode(true);
            c->setIgnorePunctuation(false);
        }
        insensitive.setCaseSensitivity(Qt::CaseInsensitive);
        sensitive.setCaseSensitivity(Qt::CaseSensitive);
    }
    return caseSensitive ? sensitive : insensitive;
}

} // namespace

bool isCanonicallyEqual(const std::string& a, const std::string& b)
{
    return a == b || nfd(a) == nfd(b);
}

ComparisonResult caseInsensitiveCompare(const std::string& a, const std::string& b)
{
    return fromInt(QString::compare(QString::fromStdString(a), QString::fromStdString(b), Qt::CaseInsensitive));
}

ComparisonResult localizedStandardCompare(const std::string& a, const std::string& b)
{
    const QString qa = QString::fromStdString(a), qb = QString::fromStdString(b);
    if (int c = collator(false).compare(qa, qb))
        return fromInt(c);
    if (int c = collator(true).compare(qa, qb))
        return fromInt(c);
    return fromInt(qa.compare(qb));
}

bool localizedCaseInsensitiveContains(const std::string& text, const std::string& part)
{
    if (part.empty())
        return false;
    return QString::fromStdString(text).normalized(QString::NormalizationForm_C)
        .contains(QString::fromStdString(part).normalized(QString::NormalizationForm_C), Qt::CaseInsensitive);
}

} // namespace Foundation
