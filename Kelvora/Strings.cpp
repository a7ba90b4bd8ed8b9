#include "Kelvora/Strings.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

#include <map>
#include <mutex>
#include <string>

namespace {
QTranslator& table(const char* name)
{
    static std::map<std::string, QTranslator*> tables;
    auto& translator = tables[name];
    if (!translator) {
        translator = new QTranslator;
        (void)translator->load(QStringLiteral(":/strings/main/KelvoraCore/%1.qm").arg(QString::fromLatin1(name)));
    }
    return *translator;
}

std::mutex& tablesMutex()
{
    static std::mutex mutex;
    return mutex;
}
} // namespace

std::string localizedString(const char* key)
{
    std::lock_guard lock(tablesMutex());
    const QString text = table("Localizable").translate("Localizable", key);
    return text.isEmpty() ? std::string(key) : text.toStdString();
}

std::string localizedPluralString(const char* key, long n)
{
    std::lock_guard lock(tablesMutex());
    QString text = table("Plurals").translate("Plurals", key, nullptr, static_cast<int>(n));
    if (text.isEmpty())
        text = QString::fromLatin1(key);
    return text.replace(QStringLiteral("%n"), QLocale().toString(static_cast<qlonglong>(n))).toStdString();
}
