#include "Brackwen/EntryKinds.h"

#include <QMimeDatabase>
#include <QString>

#include <fnmatch.h>
#include <mutex>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace Brackwen {

namespace {

struct Kinds {
    std::mutex mutex;
    std::set<std::string> texts;                                // interned kinds
    std::unordered_map<std::string, const std::string*> bySuffix; // lower-case suffix → kind
    // A glob's dot is literal, so only these can match a name without one.
    std::vector<std::string> dotlessPatterns;
};

Kinds& kinds()
{
    static auto* k = [] {
        auto* made = new Kinds;
        for (const auto& type : QMimeDatabase().allMimeTypes())
            for (const auto& pattern : type.globPatterns())
                if (!pattern.contains('.'))
                    made->dotlessPatterns.push_back(pattern.toStdString());
        return made;
    }();
    return *k;
}

// Most names without an extension match no glob: they are plain data, and
// asking the database for each of them costs tens of microseconds a name.
bool mayMatchAGlob(const Kinds& k, const std::string& name)
{
    if (name.find('.') != std::string::npos)
        return true;
    for (const auto& pattern : k.dotlessPatterns)
        if (::fnmatch(pattern.c_str(), name.c_str(), FNM_CASEFOLD) == 0)
            return true;
    return false;
}

const std::string* intern(Kinds& k, const QString& text)
{
    return &*k.texts.insert(text.toStdString()).first;
}

// The part of the name that decides its kind: the last two extensions
// (".tar.gz"), or the whole name when it has none ("Makefile").
std::string_view suffixKey(std::string_view name)
{
    size_t last = name.rfind('.');
    if (last == std::string_view::npos || last == 0)
        return name;
    size_t before = last > 0 ? name.rfind('.', last - 1) : std::string_view::npos;
    if (before != std::string_view::npos && before > 0 && last - before <= 4)
        return name.substr(before);
    return name.substr(last);
}

} // namespace

const std::string* kindOfFile(std::string_view name)
{
    auto& k = kinds();
    std::string key(suffixKey(name));
    for (auto& c : key)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    std::lock_guard lock(k.mutex);
    if (auto it = k.bySuffix.find(key); it != k.bySuffix.end())
        return it->second;
    static const QMimeDatabase database;
    if (!mayMatchAGlob(k, key)) {
        static const std::string* plain =
            intern(k, database.mimeTypeForName(QStringLiteral("application/octet-stream")).comment());
        return plain;
    }
    QString probe = QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
    if (probe.startsWith('.'))
        probe.prepend(QLatin1String("file"));
    const std::string* kind = intern(k, database.mimeTypeForFile(probe, QMimeDatabase::MatchExtension).comment());
    // Names without an extension may all differ: remember only so many.
    if (k.bySuffix.size() < 65536)
        k.bySuffix.emplace(std::move(key), kind);
    return kind;
}

const std::string* kindOfDirectory()
{
    static const std::string* kind = [] {
        auto& k = kinds();
        std::lock_guard lock(k.mutex);
        return intern(k, QMimeDatabase().mimeTypeForName(QStringLiteral("inode/directory")).comment());
    }();
    return kind;
}

} // namespace Brackwen
