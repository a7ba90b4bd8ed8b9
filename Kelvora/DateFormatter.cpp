#include "Kelvora/DateFormatter.h"

#include <algorithm>
#include <vector>

namespace {

struct Token {
    QString text;
    bool field;
};

bool isFieldLetter(QChar c)
{
    return QStringLiteral("dMyhHmsaAzt").contains(c);
}

// Fields (runs of one pattern letter), quoted literals and single literal
// characters, in order.
std::vector<Token> tokenize(const QString& format)
{
    std::vector<Token> tokens;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        qsizetype end = i + 1;
        if (c == u'\'') {
            while (end < format.size() && format[end] != u'\'')
                ++end;
            end = std::min(end + 1, format.size());
        } else if (isFieldLetter(c)) {
            while (end < format.size() && format[end] == c)
                ++end;
        }
        tokens.push_back({format.mid(i, end - i), isFieldLetter(c)});
        i = end;
    }
    return tokens;
}

bool isWeekday(const Token& token)
{
    return token.field && token.text.startsWith(u'd') && token.text.size() >= 3;
}

// Seconds and their fractions: some locales' short times carry them.
bool isSeconds(const Token& token)
{
    return token.field && (token.text.startsWith(u's') || token.text.startsWith(u'z'));
}

// Spaces and punctuation between fields; a literal word ("de", "日") stays.
bool isSeparator(const Token& token)
{
    if (token.field)
        return false;
    for (QChar c : token.text)
        if (!c.isSpace() && !c.isPunct() && c != u'\'')
            return false;
    return true;
}

// The format without the fields and the separators that joined them.
QString without(const QString& format, bool (*dropped)(const Token&))
{
    auto tokens = tokenize(format);
    for (size_t i = 0; i < tokens.size();) {
        if (!dropped(tokens[i])) {
            ++i;
            continue;
        }
        size_t first = i;
        size_t last = i + 1;
        if (i == 0 || std::none_of(tokens.begin(), tokens.begin() + long(i), [](const Token& t) { return t.field; })) {
            while (last < tokens.size() && isSeparator(tokens[last]))
                ++last;
        } else {
            while (first > 0 && isSeparator(tokens[first - 1]))
                --first;
        }
        tokens.erase(tokens.begin() + long(first), tokens.begin() + long(last));
        i = first;
    }
    QString result;
    for (const auto& token : tokens)
        result += token.text;
    return result.trimmed();
}

} // namespace

DateFormatter::DateFormatter(QLocale locale) : locale_(std::move(locale))
{
    const QString date = without(locale_.dateFormat(QLocale::LongFormat), isWeekday);
    const QString time = without(locale_.timeFormat(QLocale::ShortFormat), isSeconds);
    // The locale's own joining of a date and a time, with these two in place
    // of its long ones.
    QString joined = locale_.dateTimeFormat(QLocale::LongFormat);
    const QString longDate = locale_.dateFormat(QLocale::LongFormat);
    const QString longTime = locale_.timeFormat(QLocale::LongFormat);
    const qsizetype datePosition = joined.indexOf(longDate);
    const qsizetype timePosition = joined.indexOf(longTime);
    if (datePosition < 0 || timePosition < 0) {
        format_ = date + u' ' + time;
        return;
    }
    if (datePosition < timePosition) {
        joined.replace(timePosition, longTime.size(), time);
        joined.replace(datePosition, longDate.size(), date);
    } else {
        joined.replace(datePosition, longDate.size(), date);
        joined.replace(timePosition, longTime.size(), time);
    }
    format_ = joined;
}

QString DateFormatter::stringFromDate(const QDateTime& date) const
{
    return locale_.toString(date, format_);
}
