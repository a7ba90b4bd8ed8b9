#include "Kelvora/Strings.h"

#include <QCoreApplication>
#include <QTranslator>

#include <mutex>

namespace {
QTranslator& table()
{
    static QTranslator* translator = [] {
        auto* t = new QTranslator;
        (void)t->load(QStringLiteral(":/strings/main/KelvoraCore/Localizable.qm"));
        return t;
    }();
    return *translator;
}
} // namespace

std::string localizedString(const char* key)
{
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    const QString text = table().translate("Localizable", key);
    return text.isEmpty() ? std::string(key) : text.toStdString();
}
