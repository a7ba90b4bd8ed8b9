#include "Platform/Foundation/LocalizedString.h"

#include <QDir>
#include <QRegularExpression>
#include <QTranslator>

#include <map>
#include <memory>
#include <mutex>

namespace Foundation {

namespace {

using Translators = std::vector<std::unique_ptr<QTranslator>>;

// Every compiled table of that name in the bundle, one per library that has one.
const Translators& tables(const std::string& bundle, const std::string& table)
{
    static std::mutex mutex;
    static auto* cache = new std::map<std::pair<std::string, std::string>, Translators>;
    std::lock_guard lock(mutex);
    auto [it, inserted] = cache->try_emplace({bundle, table});
    if (inserted) {
        const QDir root(":/strings/" + QString::fromStdString(bundle));
        for (const QString& library : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
            auto translator = std::make_unique<QTranslator>();
            if (translator->load(root.filePath(library + "/" + QString::fromStdString(table) + ".qm")))
                it->second.push_back(std::move(translator));
        }
    }
    return it->second;
}

QString lookup(const std::string& key, const std::string& table, const std::string& bundle, int n)
{
    const QByteArray context = QByteArray::fromStdString(table);
    const QByteArray source = QByteArray::fromStdString(key);
    for (const auto& translator : tables(bundle, table)) {
        QString text = translator->translate(context.constData(), source.constData(), nullptr, n);
        if (!text.isNull())
            return text;
    }
    return QString::fromStdString(key);
}

} // namespace

std::string localizedString(const std::string& key, const std::string& table, const std::string& bundle)
{
    return lookup(key, table, bundle, -1).toStdString();
}

std::string localizedStringWithCount(const std::string& key, int64_t count, const std::string& table,
                                     const std::string& bundle)
{
    // Qt picks a numerus form by an int; a larger count takes the form of its
    // clamped value, which for English is the plural one either way.
    const int n = static_cast<int>(std::clamp<int64_t>(count, INT32_MIN, INT32_MAX));
    QString text = lookup(key, table, bundle, n);
    static const QRegularExpression placeholder("%(?:n|l{0,2}[du])");
    text.replace(placeholder, QString::number(count));
    return text.toStdString();
}

std::string format(const std::string& fmt, const std::vector<std::string>& args)
{
    std::string out;
    out.reserve(fmt.size());
    size_t next = 0;
    auto argument = [&args](size_t index) { return index < args.size() ? args[index] : std::string(); };
    for (size_t i = 0; i < fmt.size(); ++i) {
        if (fmt[i] != '%' || i + 1 == fmt.size()) {
            out.push_back(fmt[i]);
        } else if (fmt[i + 1] == '%') {
            out.push_back('%');
            ++i;
        } else if (fmt[i + 1] == '@') {
            out += argument(next++);
            ++i;
        } else if (i + 3 < fmt.size() && fmt[i + 1] >= '1' && fmt[i + 1] <= '9' && fmt[i + 2] == '$'
                   && fmt[i + 3] == '@') {
            out += argument(static_cast<size_t>(fmt[i + 1] - '1'));
            i += 3;
        } else {
            out.push_back(fmt[i]);
        }
    }
    return out;
}

} // namespace Foundation
