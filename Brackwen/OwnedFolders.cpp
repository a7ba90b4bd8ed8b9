#include "Brackwen/OwnedFolders.h"

#include <cerrno>
#include <charconv>
#include <csignal>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace Brackwen {

namespace {

constexpr std::string_view kPrefix = ".kelvora-";

// Field 22 of /proc/<pid>/stat, after the command name (which may hold
// spaces and parentheses, hence the last ')').
std::optional<uint64_t> startTimeOf(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    if (!std::getline(in, stat))
        return std::nullopt;
    size_t close = stat.rfind(')');
    if (close == std::string::npos)
        return std::nullopt;
    std::istringstream fields(stat.substr(close + 1));
    std::string field;
    for (int index = 3; index <= 22; ++index)
        if (!(fields >> field))
            return std::nullopt;
    uint64_t value = 0;
    auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (ec != std::errc() || end != field.data() + field.size())
        return std::nullopt;
    return value;
}

template <typename T>
bool parseNumber(std::string_view text, T& value)
{
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && ec == std::errc() && end == text.data() + text.size();
}

// The owner named by an owned folder's name: "<kind>.<pid>.<start>.<random>".
bool parseOwner(std::string_view name, pid_t& pid, uint64_t& start)
{
    if (name.substr(0, kPrefix.size()) != kPrefix)
        return false;
    name.remove_prefix(kPrefix.size());
    std::vector<std::string_view> parts;
    for (size_t dot; (dot = name.find('.')) != std::string_view::npos; name.remove_prefix(dot + 1))
        parts.push_back(name.substr(0, dot));
    parts.push_back(name);
    return parts.size() == 4 && !parts[0].empty() && !parts[3].empty() && parseNumber(parts[1], pid) && pid > 0
        && parseNumber(parts[2], start);
}

bool ownerHasEnded(pid_t pid, uint64_t start)
{
    if (::kill(pid, 0) != 0 && errno == ESRCH)
        return true;
    // The pid is taken: by the owner, or by a later process it was reused for.
    auto running = startTimeOf(pid);
    return running && *running != start;
}

} // namespace

std::string makeOwnedFolder(const std::string& parent, std::string_view kind)
{
    static const std::optional<uint64_t> ownStart = startTimeOf(::getpid());
    std::string path = parent + "/" + std::string(kPrefix) + std::string(kind) + "." + std::to_string(::getpid())
        + "." + std::to_string(ownStart.value_or(0)) + ".XXXXXX";
    if (!::mkdtemp(path.data()))
        return {};
    return path;
}

void removeAbandonedFolders(const std::string& parent)
{
    std::vector<std::string> abandoned;
    if (DIR* dir = ::opendir(parent.c_str())) {
        while (dirent* e = ::readdir(dir)) {
            pid_t pid = 0;
            uint64_t start = 0;
            if (parseOwner(e->d_name, pid, start) && ownerHasEnded(pid, start))
                abandoned.push_back(parent + "/" + e->d_name);
        }
        ::closedir(dir);
    }
    for (const auto& path : abandoned) {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
            continue;
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
}

} // namespace Brackwen
