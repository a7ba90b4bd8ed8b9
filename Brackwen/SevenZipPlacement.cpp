#include "Brackwen/SevenZipPlacement.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace Brackwen {

namespace {

Foundation::ErrorPtr writeError(int err, const std::string& path)
{
    int64_t code = (err == ENOSPC || err == EDQUOT) ? ZODArchiverErrorDiskFull : ZODArchiverErrorCannotWrite;
    return ZODArchiverMakeError(code, {{Foundation::NSFilePathErrorKey, path},
                                       {ZODArchiverUnderlyingMessageKey, std::string(std::strerror(err))}});
}

std::vector<std::string> childrenOf(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (dirent* e = ::readdir(dir)) {
            std::string n = e->d_name;
            if (n != "." && n != "..")
                names.push_back(std::move(n));
        }
        ::closedir(dir);
    }
    return names;
}

} // namespace

bool linkStaysInside(const std::string& relativePath, const std::string& target)
{
    if (target.empty() || target.front() == '/')
        return false;
    // Depth of the folder holding the link, below the destination.
    long depth = 0;
    for (char c : relativePath)
        depth += (c == '/');
    size_t start = 0;
    while (start <= target.size()) {
        size_t end = target.find('/', start);
        if (end == std::string::npos)
            end = target.size();
        std::string part = target.substr(start, end - start);
        if (part == "..") {
            if (--depth < 0)
                return false;
        } else if (!part.empty() && part != ".") {
            ++depth;
        }
        start = end + 1;
    }
    return true;
}

SevenZipPlacement::SevenZipPlacement(std::string destination, SevenZipConflictHandler conflictHandler,
                                     std::function<bool()> isCancelled)
    : destination_(std::move(destination))
    , conflictHandler_(std::move(conflictHandler))
    , isCancelled_(std::move(isCancelled))
{
}

Foundation::ErrorPtr SevenZipPlacement::place(const std::string& source, const std::string& name)
{
    return placeEntry(source, destination_ + "/" + name, name);
}

bool SevenZipPlacement::resolveConflict(const std::string& relative, Foundation::ErrorPtr* stop)
{
    if (replaceAll_)
        return *replaceAll_;
    if (!conflictHandler_)
        return true;
    switch (conflictHandler_(relative)) {
    case ArchiverConflictResolving::replace:
        return true;
    case ArchiverConflictResolving::replaceAll:
        replaceAll_ = true;
        return true;
    case ArchiverConflictResolving::skip:
        return false;
    case ArchiverConflictResolving::skipAll:
        replaceAll_ = false;
        return false;
    case ArchiverConflictResolving::cancel:
        break;
    }
    *stop = ZODArchiverMakeError(ZODArchiverErrorCancelled);
    return false;
}

Foundation::ErrorPtr SevenZipPlacement::placeEntry(const std::string& source, const std::string& target,
                                                   const std::string& relative)
{
    struct stat st;
    bool admitted = false;
    if (auto error = admit(source, relative, st, admitted))
        return error;
    if (!admitted)
        return nullptr;

    struct stat existing;
    const bool taken = ::lstat(target.c_str(), &existing) == 0;
    const bool merge = taken && S_ISDIR(st.st_mode) && S_ISDIR(existing.st_mode);

    // A folder with nothing to merge into is checked where it was staged and
    // later moved in one rename; one that merges into an existing folder is
    // placed entry by entry, so each entry meets what is already there.
    if (S_ISDIR(st.st_mode) && !merge) {
        if (auto error = vetStagedFolder(source, st, relative))
            return error;
    }

    if (taken && !merge) {
        Foundation::ErrorPtr stop;
        if (!resolveConflict(relative, &stop))
            return stop;
        // A file replaces a file (or a link) in one rename, so a failed move
        // keeps the old one; only a folder in the way is removed first.
        if (S_ISDIR(st.st_mode) || S_ISDIR(existing.st_mode)) {
            std::error_code ec;
            std::filesystem::remove_all(target, ec); // a link is removed, not followed
            if (ec)
                return writeError(ec.value(), target);
        }
    }

    if (!merge) {
        if (::rename(source.c_str(), target.c_str()) != 0)
            return writeError(errno, target);
        return nullptr;
    }
    for (const auto& child : childrenOf(source)) {
        if (auto error = placeEntry(source + "/" + child, target + "/" + child, relative + "/" + child))
            return error;
    }
    return nullptr;
}

Foundation::ErrorPtr SevenZipPlacement::admit(const std::string& source, const std::string& relative, struct stat& st,
                                              bool& admitted)
{
    admitted = false;
    if (isCancelled_ && isCancelled_())
        return ZODArchiverMakeError(ZODArchiverErrorCancelled);
    if (::lstat(source.c_str(), &st) != 0)
        return ZODArchiverMakeError(ZODArchiverErrorItemNotFound, {{Foundation::NSFilePathErrorKey, relative}});
    if (S_ISLNK(st.st_mode)) {
        std::string linkTarget(size_t(st.st_size) + 1, '\0');
        ssize_t n = ::readlink(source.c_str(), linkTarget.data(), linkTarget.size());
        linkTarget.resize(n > 0 ? size_t(n) : 0);
        if (!linkStaysInside(relative, linkTarget)) {
            refused_.push_back(relative);
            return nullptr;
        }
    }
    if ((S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)) && (st.st_mode & (S_ISUID | S_ISGID)) != 0)
        ::chmod(source.c_str(), st.st_mode & 01777);
    admitted = true;
    return nullptr;
}

Foundation::ErrorPtr SevenZipPlacement::vetStagedFolder(const std::string& folder, const struct stat& folderStat,
                                                        const std::string& relative)
{
    bool removed = false;
    for (const auto& child : childrenOf(folder)) {
        const std::string source = folder + "/" + child, childRelative = relative + "/" + child;
        struct stat st;
        bool admitted = false;
        if (auto error = admit(source, childRelative, st, admitted))
            return error;
        if (!admitted) {
            ::unlink(source.c_str());
            removed = true;
            continue;
        }
        if (S_ISDIR(st.st_mode)) {
            if (auto error = vetStagedFolder(source, st, childRelative))
                return error;
        }
    }
    if (removed) {
        // Taking the refused link out touched the folder's time.
        timespec times[2] = {folderStat.st_atim, folderStat.st_mtim};
        ::utimensat(AT_FDCWD, folder.c_str(), times, AT_SYMLINK_NOFOLLOW);
    }
    return nullptr;
}

} // namespace Brackwen
