#include "Brackwen/EntryKinds.h"

#include <QMimeDatabase>
#include <QStandardPaths>
#include <QString>

#include <fnmatch.h>
#include <fstream>
#include <mutex>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace Brackwen {

namespace {

// A glob without a dot, lower-cased. Most are a plain name ("makefile") or
// a name with one star at an end ("readme*", "*~"); those are matched
// directly, as fnmatch costs microseconds a call and a listing may hold a
// million such names.
struct DotlessGlob {
    enum Shape { Literal, Prefix, Suffix, General } shape;
    std::string text; // the literal part, or the whole pattern for General

    bool matches(std::string_view lowerName) const
    {
        switch (shape) {
        case Literal:
            return lowerName == text;
        case Prefix:
            return lowerName.starts_with(text);
        case Suffix:
            return lowerName.ends_with(text);
        case General:
            return ::fnmatch(text.c_str(), std::string(lowerName).c_str(), FNM_CASEFOLD) == 0;
        }
        return false;
    }
};

DotlessGlob dotlessGlob(std::string pattern)
{
    for (auto& c : pattern)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    auto wild = [](std::string_view s) { return s.find_first_of("*?[\\") != std::string_view::npos; };
    std::string_view p(pattern);
    if (!wild(p))
        return {DotlessGlob::Literal, pattern};
    if (p.size() > 1 && p.back() == '*' && !wild(p.substr(0, p.size() - 1)))
        return {DotlessGlob::Prefix, pattern.substr(0, pattern.size() - 1)};
    if (p.size() > 1 && p.front() == '*' && !wild(p.substr(1)))
        return {DotlessGlob::Suffix, pattern.substr(1)};
    return {DotlessGlob::General, pattern};
}

struct Kinds {
    std::mutex mutex;
    std::set<std::string> texts;                                // interned kinds
    std::unordered_map<std::string, const std::string*> bySuffix; // lower-case suffix → kind
    // A glob's dot is literal, so only these can match a name without one.
    std::vector<DotlessGlob> dotlessGlobs;
};

Kinds& kinds()
{
    static auto* k = [] {
        auto* made = new Kinds;
        // Asking QMimeType for its globs parses every type's XML file, a
        // tenth of a second or more; the database's globs2 files hold the
        // same globs in one line each.
        std::vector<std::string> files;
        for (const auto& dir : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
            files.push_back((dir + QLatin1String("/mime/globs2")).toStdString());
        if (auto patterns = dotlessGlobsInGlobs2(files)) {
            for (auto& pattern : *patterns)
                made->dotlessGlobs.push_back(dotlessGlob(std::move(pattern)));
        } else {
            // Qt's built-in database: its globs are not on disk.
            for (const auto& type : QMimeDatabase().allMimeTypes())
                for (const auto& pattern : type.globPatterns())
                    if (!pattern.contains('.'))
                        made->dotlessGlobs.push_back(dotlessGlob(pattern.toStdString()));
        }
        return made;
    }();
    return *k;
}

// Most names without an extension match no glob: they are plain data, and
// asking the database for each of them costs tens of microseconds a name.
bool mayMatchAGlob(const Kinds& k, const std::string& lowerName)
{
    if (lowerName.find('.') != std::string::npos)
        return true;
    for (const auto& glob : k.dotlessGlobs)
        if (glob.matches(lowerName))
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

std::optional<std::vector<std::string>> dotlessGlobsInGlobs2(const std::vector<std::string>& files)
{
    std::optional<std::vector<std::string>> globs;
    // Types whose globs a more important file has cleared.
    std::unordered_set<std::string> cleared;
    for (const auto& file : files) {
        std::ifstream in(file);
        if (!in)
            continue;
        if (!globs)
            globs.emplace();
        std::unordered_set<std::string> clearedHere;
        std::string line;
        while (std::getline(in, line)) {
            if (line.empty() || line.front() == '#')
                continue;
            // weight:type:glob[:flags]
            size_t typeStart = line.find(':');
            size_t globStart = typeStart == std::string::npos ? typeStart : line.find(':', typeStart + 1);
            if (globStart == std::string::npos)
                continue;
            std::string type = line.substr(typeStart + 1, globStart - typeStart - 1);
            std::string glob = line.substr(globStart + 1, line.find(':', globStart + 1) - globStart - 1);
            if (cleared.contains(type))
                continue;
            if (glob == "__NOGLOBS__")
                clearedHere.insert(std::move(type));
            else if (!glob.empty() && glob.find('.') == std::string::npos)
                globs->push_back(std::move(glob));
        }
        cleared.merge(clearedHere);
    }
    return globs;
}

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
