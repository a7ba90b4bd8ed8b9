#include "Brackwen/DiskPlacement.h"

#include "Brackwen/EngineErrors.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace Brackwen {

Foundation::ErrorPtr DiskPlacement::open(const std::string& destination)
{
    destination_ = destination;
    destinationFd_ = ::open(destination.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    unnamedWorks_ = ::access("/proc/self/fd", X_OK) == 0;
    if (destinationFd_ >= 0)
        return nullptr;
    const int err = errno;
    if (err == ENOENT)
        return engineError(ZODArchiverErrorCannotWrite, destination, "The destination folder does not exist");
    if (err == ENOTDIR)
        return engineError(ZODArchiverErrorCannotWrite, destination, "The destination is not a folder");
    return errorFromWriteErrno(err, destination);
}

DiskPlacement::~DiskPlacement()
{
    closeCached();
    if (destinationFd_ >= 0)
        ::close(destinationFd_);
}

void DiskPlacement::closeCached()
{
    if (cachedFd_ >= 0)
        ::close(cachedFd_);
    cachedFd_ = -1;
    cachedPath_.clear();
}

std::string DiskPlacement::describe(const std::vector<std::string>& components, size_t count) const
{
    std::string path = destination_;
    for (size_t i = 0; i < count && i < components.size(); ++i)
        path += "/" + components[i];
    return path;
}

int DiskPlacement::folder(const std::vector<std::string>& components, size_t count, bool create,
                          Foundation::ErrorPtr* error)
{
    if (count == 0)
        return destinationFd_;
    if (cachedFd_ >= 0 && cachedPath_.size() == count &&
        std::equal(cachedPath_.begin(), cachedPath_.end(), components.begin()))
        return cachedFd_;
    closeCached();
    int fd = destinationFd_;
    for (size_t i = 0; i < count; ++i) {
        int next = ::openat(fd, components[i].c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0 && errno == ENOENT && create) {
            const bool made = ::mkdirat(fd, components[i].c_str(), 0755) == 0;
            if (!made && errno != EEXIST) {
                int err = errno;
                if (fd != destinationFd_)
                    ::close(fd);
                *error = errorFromWriteErrno(err, describe(components, i + 1));
                return -1;
            }
            if (made) {
                created_.emplace_back(components.begin(), components.begin() + static_cast<long>(i) + 1);
                std::string path;
                for (const auto& part : created_.back())
                    path += (path.empty() ? "" : "/") + part;
                madePaths_.insert(std::move(path));
            }
            next = ::openat(fd, components[i].c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        }
        int err = errno;
        if (fd != destinationFd_)
            ::close(fd);
        if (next < 0) {
            // A link (ELOOP) or a file (ENOTDIR) where a folder should be.
            if (err == ELOOP || err == ENOTDIR)
                *error = engineError(ZODArchiverErrorUnsafeEntry, describe(components, count),
                                     "Cannot extract through a symbolic link or a file: " + describe(components, i + 1));
            else
                *error = errorFromWriteErrno(err, describe(components, i + 1));
            return -1;
        }
        fd = next;
    }
    cachedFd_ = fd;
    cachedPath_.assign(components.begin(), components.begin() + static_cast<long>(count));
    return fd;
}

void DiskPlacement::removeEmptyCreatedFolders()
{
    // Newest first: a folder is made after the folder that holds it.
    for (auto it = created_.rbegin(); it != created_.rend(); ++it) {
        Foundation::ErrorPtr error;
        int parent = folder(*it, it->size() - 1, false, &error);
        if (parent >= 0)
            ::unlinkat(parent, it->back().c_str(), AT_REMOVEDIR);
    }
    created_.clear();
    madePaths_.clear();
    closeCached();
}

namespace {

std::string temporaryBeside(const std::string& name)
{
    static thread_local std::mt19937_64 random{std::random_device{}()};
    // Keeps the temporary name short enough for any file system.
    std::string stem = name.size() > 180 ? name.substr(0, 180) : name;
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, ".%012llx", static_cast<unsigned long long>(random() & 0xffffffffffffULL));
    return "." + stem + suffix + ".part";
}

// linkat(2) names an unnamed file only through its /proc link (AT_EMPTY_PATH
// needs a capability users lack).
bool linkUnnamed(int fd, int folderFd, const std::string& name)
{
    char path[40];
    std::snprintf(path, sizeof path, "/proc/self/fd/%d", fd);
    return ::linkat(AT_FDCWD, path, folderFd, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

} // namespace

int DiskPlacement::createTemporary(int folderFd, const std::string& name, std::string& temporaryName)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporaryName = temporaryBeside(name);
        int fd = ::openat(folderFd, temporaryName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

int DiskPlacement::createUnnamed(int folderFd)
{
    if (!unnamedWorks_)
        return -1;
    int fd = ::openat(folderFd, ".", O_WRONLY | O_TMPFILE | O_CLOEXEC, 0600);
    if (fd >= 0)
        return fd;
    // Not supported here (or no /proc to name it through later): a probe
    // that fails once fails for every file.
    unnamedWorks_ = false;
    return -1;
}

bool DiskPlacement::nameComplete(int fd, int folderFd, const std::string& name, std::string& temporaryName)
{
    if (linkUnnamed(fd, folderFd, name))
        return true;
    if (errno != EEXIST)
        return false;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporaryName = temporaryBeside(name);
        if (linkUnnamed(fd, folderFd, temporaryName))
            return true;
        if (errno != EEXIST)
            return false;
    }
    errno = EEXIST;
    return false;
}

int DiskPlacement::writeAt(int fd, const char* data, size_t size, off_t offset)
{
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, data, size, offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : ENOSPC;
        data += n;
        size -= static_cast<size_t>(n);
        offset += n;
    }
    return 0;
}

} // namespace Brackwen
