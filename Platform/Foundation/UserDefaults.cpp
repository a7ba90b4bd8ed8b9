#include "Platform/Foundation/UserDefaults.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDataStream>
#include <QDir>
#include <QSettings>

#include <cmath>
#include <cstdlib>

namespace Foundation {

namespace {

QString configHome()
{
    QString dir = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (dir.isEmpty())
        dir = QDir::homePath() + "/.config";
    return dir;
}

// Stored texts carry a type tag, since settings files keep only text:
// "b:1", "i:-3", "u:18446744073709551615", "d:2.5", "s:text", and "v:" with
// the value serialised by QDataStream (base64) for every other type.
QString encode(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? "b:1" : "b:0";
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::Char:
    case QMetaType::SChar:
        return "i:" + QString::number(value.toLongLong());
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
    case QMetaType::UShort:
    case QMetaType::UChar:
        return "u:" + QString::number(value.toULongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return "d:" + QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    case QMetaType::QString:
        return "s:" + value.toString();
    default: {
        QByteArray bytes;
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out << value;
        return "v:" + QString::fromLatin1(bytes.toBase64());
    }
    }
}

QVariant decode(const QVariant& raw)
{
    if (!raw.isValid())
        return {};
    const QString text = raw.toString();
    const QString tag = text.left(2);
    const QString body = text.mid(2);
    if (tag == "b:")
        return body == "1";
    if (tag == "i:")
        return QVariant::fromValue<qlonglong>(body.toLongLong());
    if (tag == "u:")
        return QVariant::fromValue<qulonglong>(body.toULongLong());
    if (tag == "d:")
        return body.toDouble();
    if (tag == "s:")
        return body;
    if (tag == "v:") {
        QByteArray bytes = QByteArray::fromBase64(body.toLatin1());
        QDataStream in(bytes);
        QVariant v;
        in >> v;
        return v;
    }
    // A value written by hand, without a tag, reads as text.
    return text;
}

bool isNumber(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Int: case QMetaType::Long: case QMetaType::LongLong: case QMetaType::Short:
    case QMetaType::Char: case QMetaType::SChar: case QMetaType::UInt: case QMetaType::ULong:
    case QMetaType::ULongLong: case QMetaType::UShort: case QMetaType::UChar:
    case QMetaType::Double: case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

bool isFloating(const QVariant& v)
{
    return v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float;
}

bool isUnsigned(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::UInt: case QMetaType::ULong: case QMetaType::ULongLong:
    case QMetaType::UShort: case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

std::string numberText(const QVariant& v)
{
    if (isFloating(v))
        return QString::number(v.toDouble(), 'g', QLocale::FloatingPointShortest).toStdString();
    if (isUnsigned(v))
        return std::to_string(v.toULongLong());
    return std::to_string(v.toLongLong());
}

struct SuiteRegistry {
    std::mutex mutex;
    std::map<std::string, std::shared_ptr<UserDefaults>> byName;
};

SuiteRegistry& suites()
{
    static auto* registry = new SuiteRegistry;
    return *registry;
}

} // namespace

UserDefaults::UserDefaults(std::string filePath)
    : filePath_(std::move(filePath)),
      settings_(std::make_unique<QSettings>(QString::fromStdString(filePath_), QSettings::IniFormat))
{
}

UserDefaults::~UserDefaults() = default;

std::shared_ptr<UserDefaults> UserDefaults::standard()
{
    // Never destroyed: a static destructor must not outlive QCoreApplication's use.
    static auto* defaults = new std::shared_ptr<UserDefaults>([] {
        QString name = QCoreApplication::instance() ? QCoreApplication::applicationName() : QString();
        if (name.isEmpty() || name.contains('/'))
            name = "kelvora";
        return std::shared_ptr<UserDefaults>(new UserDefaults((configHome() + "/" + name + ".conf").toStdString()));
    }());
    return *defaults;
}

std::shared_ptr<UserDefaults> UserDefaults::suite(const std::string& name)
{
    if (name.empty() || name == "NSGlobalDomain" || name == "." || name == ".."
        || name.find('/') != std::string::npos)
        return nullptr;
    auto& registry = suites();
    std::lock_guard lock(registry.mutex);
    auto& slot = registry.byName[name];
    if (!slot)
        slot.reset(new UserDefaults((configHome() + "/" + QString::fromStdString(name) + ".conf").toStdString()));
    return slot;
}

std::string UserDefaults::filePath() const
{
    return filePath_;
}

void UserDefaults::registerDefaults(const Registration& values)
{
    std::lock_guard lock(mutex_);
    for (const auto& [key, value] : values)
        registration_[key] = value;
}

QVariant UserDefaults::storedValue(const std::string& key) const
{
    std::lock_guard lock(mutex_);
    settings_->sync();
    QVariant v = decode(settings_->value(QString::fromStdString(key)));
    if (v.isValid())
        return v;
    auto it = registration_.find(key);
    return it == registration_.end() ? QVariant() : it->second;
}

QVariant UserDefaults::objectForKey(const std::string& key) const
{
    return storedValue(key);
}

std::optional<std::string> UserDefaults::stringForKey(const std::string& key) const
{
    QVariant v = storedValue(key);
    if (v.typeId() == QMetaType::QString)
        return v.toString().toStdString();
    if (v.typeId() == QMetaType::Bool)
        return std::string(v.toBool() ? "1" : "0");
    if (isNumber(v))
        return numberText(v);
    return std::nullopt;
}

bool UserDefaults::boolForKey(const std::string& key) const
{
    QVariant v = storedValue(key);
    if (v.typeId() == QMetaType::Bool)
        return v.toBool();
    if (isNumber(v))
        return v.toDouble() != 0;
    if (v.typeId() == QMetaType::QString) {
        const QString s = v.toString().trimmed().toLower();
        if (s == "yes" || s == "true" || s == "y" || s == "t")
            return true;
        bool ok = false;
        double d = s.toDouble(&ok);
        return ok && d != 0;
    }
    return false;
}

int64_t UserDefaults::integerForKey(const std::string& key) const
{
    QVariant v = storedValue(key);
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? 1 : 0;
    if (isFloating(v)) {
        double d = v.toDouble();
        if (!std::isfinite(d))
            return 0;
        return static_cast<int64_t>(std::trunc(d));
    }
    if (isNumber(v))
        return v.toLongLong();
    if (v.typeId() == QMetaType::QString) {
        const std::string s = v.toString().toStdString();
        return std::strtoll(s.c_str(), nullptr, 10);
    }
    return 0;
}

double UserDefaults::doubleForKey(const std::string& key) const
{
    QVariant v = storedValue(key);
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? 1.0 : 0.0;
    if (isNumber(v))
        return v.toDouble();
    if (v.typeId() == QMetaType::QString) {
        const std::string s = v.toString().toStdString();
        return std::strtod(s.c_str(), nullptr);
    }
    return 0.0;
}

void UserDefaults::setValue(const QVariant& value, const std::string& key)
{
    if (!value.isValid()) {
        removeObjectForKey(key);
        return;
    }
    std::lock_guard lock(mutex_);
    settings_->setValue(QString::fromStdString(key), encode(value));
    settings_->sync();
}

void UserDefaults::setValue(const std::string& value, const std::string& key)
{
    setValue(QVariant(QString::fromStdString(value)), key);
}

void UserDefaults::setValue(const char* value, const std::string& key)
{
    setValue(QVariant(QString::fromUtf8(value)), key);
}

void UserDefaults::removeObjectForKey(const std::string& key)
{
    std::lock_guard lock(mutex_);
    settings_->remove(QString::fromStdString(key));
    settings_->sync();
}

} // namespace Foundation
