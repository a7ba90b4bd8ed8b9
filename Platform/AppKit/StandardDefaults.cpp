#include "Platform/AppKit/StandardDefaults.h"

#include <QCoreApplication>
#include <QSettings>
#include <QStandardPaths>

namespace AppKit::detail {

namespace {
QSettings& settings()
{
    static QSettings* store = [] {
        const QString name = QCoreApplication::applicationName().isEmpty() ? QStringLiteral("kelvora")
                                                                          : QCoreApplication::applicationName();
        const QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        return new QSettings(dir + QLatin1Char('/') + name + QStringLiteral(".conf"), QSettings::IniFormat);
    }();
    return *store;
}
} // namespace

QVariant standardDefaultsValue(const std::string& key)
{
    settings().sync();
    return settings().value(QString::fromStdString(key));
}

void setStandardDefaultsValue(const std::string& key, const QVariant& value)
{
    if (value.isValid())
        settings().setValue(QString::fromStdString(key), value);
    else
        settings().remove(QString::fromStdString(key));
    settings().sync();
}

} // namespace AppKit::detail
