#include "Brackwen/SevenZipSelection.h"

#include "Brackwen/EntryNames.h"

#include <cerrno>
#include <cstdio>
#include <string_view>
#include <unordered_set>

namespace Brackwen {

namespace {

// 7zz's include filter costs one name comparison (a few ns) per entry and
// chosen name; writing an entry that is not wanted costs about as much as
// this many comparisons. The filter is used while it costs less than
// extracting everything and placing only the chosen entries.
constexpr double kComparisonsPerEntryWritten = 6000;

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n'; }

bool survivesListFile(const std::string& name)
{
    return !name.empty() && !isSpace(name.front()) && !isSpace(name.back())
        && name.find_first_of("\r\n") == std::string::npos;
}

} // namespace

std::string cleanedEntryPath(const std::string& stored)
{
    std::vector<std::string_view> parts;
    splitEntryPath(stored, parts);
    std::string joined;
    for (auto part : parts) {
        if (!joined.empty())
            joined += '/';
        joined += part;
    }
    return joined;
}

SevenZipSelection selectSevenZipEntries(const SevenZipListing& listing, const std::string& folder,
                                        const std::vector<std::string>& names)
{
    SevenZipSelection selection;
    std::vector<std::string_view> prefix, parts;
    splitEntryPath(folder, prefix);
    const std::unordered_set<std::string_view> chosen(names.begin(), names.end());
    std::unordered_set<std::string_view> matched;

    size_t safeFiles = 0;
    for (const auto& entry : listing.entries) {
        const bool unsafe = isUnsafeEntryPath(entry.path);
        if (unsafe || entry.isSymbolicLink)
            selection.excluded.push_back(entry.path);
        else
            ++safeFiles;

        splitEntryPath(entry.path, parts);
        if (parts.size() <= prefix.size() || !std::equal(prefix.begin(), prefix.end(), parts.begin()))
            continue;
        auto top = chosen.find(parts[prefix.size()]);
        if (!chosen.empty() && top == chosen.end())
            continue;
        if (top != chosen.end())
            matched.insert(*top);
        if (unsafe)
            selection.unsafe.push_back(entry.path);
        else if (entry.isSymbolicLink)
            selection.links.push_back(&entry);
        else
            selection.extracted.push_back(entry.path);
    }
    for (const auto& name : names)
        if (!matched.count(name))
            selection.unmatched.push_back(name);

    selection.extractEverything = safeFiles > 0
        && (selection.extracted.size() == safeFiles
            || double(selection.extracted.size()) * double(listing.entries.size())
                > double(safeFiles - selection.extracted.size()) * kComparisonsPerEntryWritten);
    if (selection.extractEverything)
        selection.extracted.clear();

    // 7zz takes everything below a name it is given: what lies below a
    // link's name must not join the link targets it writes out.
    std::unordered_set<std::string_view> linkNames;
    for (const auto* link : selection.links)
        linkNames.insert(link->path);
    if (!linkNames.empty()) {
        for (const auto& entry : listing.entries) {
            if (entry.isSymbolicLink && linkNames.count(entry.path))
                continue;
            std::string_view path(entry.path);
            for (size_t slash = path.find('/'); slash != std::string_view::npos; slash = path.find('/', slash + 1))
                if (linkNames.count(path.substr(0, slash))) {
                    selection.linkExcluded.push_back(entry.path);
                    break;
                }
        }
    }
    return selection;
}

bool appendNameSwitches(std::vector<std::string>& arguments, const char* listSwitch, const std::string& listPath,
                        const std::vector<std::string>& names)
{
    std::string text;
    for (const auto& name : names) {
        if (survivesListFile(name))
            text.append(name).push_back('\n');
        else
            arguments.push_back(std::string(listSwitch) + "!" + name);
    }
    if (text.empty())
        return true;
    FILE* f = std::fopen(listPath.c_str(), "wxe");
    if (!f)
        return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    int savedErrno = errno;
    ok = (std::fclose(f) == 0) && ok;
    if (!ok) {
        errno = savedErrno ? savedErrno : EIO;
        return false;
    }
    arguments.push_back(std::string(listSwitch) + "@" + listPath);
    return true;
}

} // namespace Brackwen
