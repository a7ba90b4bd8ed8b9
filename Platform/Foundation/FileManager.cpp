#include "Platform/Foundation/FileManager.h"

#include <QDir>
#include <QStandardPaths>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <algorithm>
#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Foundation {

namespace {

namespace fs = std::filesystem;

std::string environmentFolder(const char* variable, const char* homeRelative)
{
    QString dir = qEnvironmentVariable(variable);
    if (dir.isEmpty())
        dir = QDir::homePath() + "/" + homeRelative;
    return dir.toStdString();
}

} // namespace

namespace FileManager {

namespace {
std::atomic<bool> itemReplacementUnobtainable{false};
}

void setItemReplacementDirectoryUnobtainable(bool value)
{
    itemReplacementUnobtainable.store(value);
}

bool fileExists(const std::string& path, bool* isDirectory)
{
    struct stat st;
    const bool exists = !path.empty() && ::stat(path.c_str(), &st) == 0;
    if (isDirectory)
        *isDirectory = exists && S_ISDIR(st.st_mode);
    return exists;
}

ErrorPtr createDirectory(const std::string& path, bool withIntermediateDirectories, std::optional<mode_t> mode)
{
    const mode_t leafMode = mode.value_or(0777);
    if (withIntermediateDirectories) {
        bool isDir = false;
        if (fileExists(path, &isDir)) {
            return isDir ? nullptr : posixError(EEXIST, path);
        }
        const std::string parent = deletingLastPathComponent(path);
        if (!parent.empty() && parent != path) {
            if (auto error = createDirectory(parent, true))
                return error;
        }
    }
    if (::mkdir(path.c_str(), leafMode) != 0) {
        const int e = errno;
        bool isDir = false;
        // Another process may have made it in the meantime.
        if (e == EEXIST && withIntermediateDirectories && fileExists(path, &isDir) && isDir)
            return nullptr;
        return posixError(e, path);
    }
    // mkdir applies the umask; an explicit mode is wanted as given.
    if (mode && ::chmod(path.c_str(), *mode) != 0)
        return posixError(errno, path);
    return nullptr;
}

ErrorPtr removeItem(const std::string& path)
{
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(path, ec)))
        return posixError(ENOENT, path);
    fs::remove_all(path, ec);
    std::error_code ignored;
    if (ec == std::errc::permission_denied && fs::is_directory(fs::symlink_status(path, ignored))) {
        // A folder without write permission (copies keep modes) cannot be
        // emptied until its owner may write it again.
        ::chmod(path.c_str(), 0700);
        std::error_code walk;
        for (fs::recursive_directory_iterator it(path, fs::directory_options::skip_permission_denied, walk), end;
             !walk && it != end; it.increment(walk))
            if (fs::is_directory(it->symlink_status(walk)))
                ::chmod(it->path().c_str(), 0700);
        ec.clear();
        fs::remove_all(path, ec);
    }
    return ec ? posixError(ec.value(), path) : nullptr;
}

namespace {

// Copies one item and, for a folder, everything in it, keeping what `cp -a`
// keeps short of the owner: permission bits and access and modification
// times, of links too. A folder gets its mode and times only after its
// children are in: a read-only one could not be filled, and each child
// written would move its modification time. Returns the failed errno and
// its path, or 0.
int copyTree(const std::string& source, const std::string& destination, std::string& failedPath)
{
    struct stat st;
    if (::lstat(source.c_str(), &st) != 0) {
        failedPath = source;
        return errno;
    }
    const timespec times[2] = {st.st_atim, st.st_mtim};
    auto fail = [&](const std::string& path) {
        failedPath = path;
        return errno;
    };
    if (S_ISLNK(st.st_mode)) {
        std::error_code ec;
        const fs::path target = fs::read_symlink(source, ec);
        if (ec) {
            failedPath = source;
            return ec.value();
        }
        if (::symlink(target.c_str(), destination.c_str()) != 0)
            return fail(destination);
        if (::utimensat(AT_FDCWD, destination.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0)
            return fail(destination);
        return 0;
    }
    if (S_ISDIR(st.st_mode)) {
        if (::mkdir(destination.c_str(), 0700) != 0)
            return fail(destination);
        std::error_code ec;
        std::vector<std::string> names;
        for (fs::directory_iterator it(source, ec), end; !ec && it != end; it.increment(ec))
            names.push_back(it->path().filename().string());
        if (ec) {
            failedPath = source;
            return ec.value();
        }
        for (const std::string& name : names)
            if (int e = copyTree(source + "/" + name, destination + "/" + name, failedPath))
                return e;
    } else if (S_ISREG(st.st_mode)) {
        std::error_code ec;
        fs::copy_file(source, destination, fs::copy_options::none, ec);
        if (ec) {
            failedPath = destination;
            return ec.value();
        }
    } else {
        // Devices, pipes and sockets are not copied, as before.
        failedPath = source;
        return ENOTSUP;
    }
    if (::chmod(destination.c_str(), st.st_mode & 07777) != 0)
        return fail(destination);
    if (::utimensat(AT_FDCWD, destination.c_str(), times, 0) != 0)
        return fail(destination);
    return 0;
}

} // namespace

ErrorPtr copyItem(const std::string& source, const std::string& destination)
{
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(source, ec)))
        return posixError(ENOENT, source);
    if (fs::exists(fs::symlink_status(destination, ec)))
        return posixError(EEXIST, destination);
    std::string failedPath;
    if (int e = copyTree(source, destination, failedPath)) {
        removeItem(destination);
        return posixError(e, failedPath);
    }
    return nullptr;
}

ErrorPtr moveItem(const std::string& source, const std::string& destination)
{
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(source, ec)))
        return posixError(ENOENT, source);
    if (fs::exists(fs::symlink_status(destination, ec)))
        return posixError(EEXIST, destination);
    if (::rename(source.c_str(), destination.c_str()) == 0)
        return nullptr;
    if (errno != EXDEV)
        return posixError(errno, source);
    if (auto error = copyItem(source, destination))
        return error;
    return removeItem(source);
}

Result<std::vector<std::string>, ErrorPtr> contentsOfDirectory(const std::string& path)
{
    using R = Result<std::vector<std::string>, ErrorPtr>;
    std::error_code ec;
    fs::directory_iterator it(path, ec);
    if (ec)
        return R::failure(posixError(ec.value(), path));
    std::vector<std::string> names;
    for (const auto& entry : it)
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return R::success(std::move(names));
}

Result<URL, ErrorPtr> urlForDirectory(SearchPathDirectory directory, const std::optional<URL>&, bool create)
{
    using R = Result<URL, ErrorPtr>;
    std::string path;
    std::optional<mode_t> mode;
    switch (directory) {
    case SearchPathDirectory::documentDirectory:
        path = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdString();
        if (path.empty() || path == QDir::homePath().toStdString())
            path = QDir::homePath().toStdString() + "/Documents";
        break;
    case SearchPathDirectory::libraryDirectory:
    case SearchPathDirectory::applicationSupportDirectory:
        path = environmentFolder("XDG_DATA_HOME", ".local/share");
        break;
    case SearchPathDirectory::itemReplacementDirectory:
        path = environmentFolder("XDG_CACHE_HOME", ".cache") + "/" + kApplicationGroupIdentifier + "/TemporaryItems";
        if (itemReplacementUnobtainable.load())
            return R::failure(posixError(EACCES, path));
        mode = 0700;
        break;
    }
    bool isDir = false;
    if (fileExists(path, &isDir)) {
        if (!isDir)
            return R::failure(posixError(ENOTDIR, path));
    } else if (!create) {
        return R::failure(posixError(ENOENT, path));
    } else if (auto error = createDirectory(path, true, mode)) {
        return R::failure(error);
    }
    return R::success(URL::fileURLWithPath(path, true));
}

std::string temporaryDirectory()
{
    const char* dir = std::getenv("TMPDIR");
    std::string path = dir && *dir ? dir : "/tmp";
    return path.size() > 1 && path.back() == '/' ? deletingLastPathComponent(path + "x") : path;
}

} // namespace FileManager
} // namespace Foundation
