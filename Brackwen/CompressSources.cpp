#include "Brackwen/CompressSources.h"

#include "Brackwen/ZODArchiverError.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace Brackwen {

Foundation::ErrorPtr sourceError(int err, const std::string& path)
{
    int64_t code = (err == ENOENT || err == ENOTDIR) ? ZODArchiverErrorFileNotFound : ZODArchiverErrorFileNotReadable;
    return ZODArchiverMakeError(code, {{Foundation::NSFilePathErrorKey, path},
                                       {ZODArchiverUnderlyingMessageKey, std::string(std::strerror(err))}});
}

OpenedSource::~OpenedSource()
{
    if (fd_ >= 0)
        ::close(fd_);
}

Foundation::ErrorPtr openSource(const CompressSource& source, struct stat& status, OpenedSource& opened)
{
    status = source.status;
    if ((status.st_mode & S_IFMT) != S_IFREG)
        return nullptr;
    opened.fd_ = ::open(source.diskPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (opened.fd_ < 0 || ::fstat(opened.fd_, &status) != 0)
        return sourceError(errno, source.diskPath);
    if (!S_ISREG(status.st_mode))
        return sourceError(EINVAL, source.diskPath);
    return nullptr;
}

namespace {

bool isHidden(const std::string& name) { return !name.empty() && name.front() == '.'; }

class Walker {
public:
    Walker(bool ignoreHidden, const std::function<bool()>& isCancelled)
        : ignoreHidden_(ignoreHidden), isCancelled_(isCancelled) {}

    Foundation::ErrorPtr add(const std::string& diskPath, const std::string& entryName)
    {
        if (isCancelled_ && isCancelled_())
            return ZODArchiverMakeError(ZODArchiverErrorCancelled);
        CompressSource source{diskPath, entryName, {}, {}};
        if (::lstat(diskPath.c_str(), &source.status) != 0)
            return sourceError(errno, diskPath);
        const mode_t type = source.status.st_mode & S_IFMT;
        if (type == S_IFLNK) {
            std::string target(size_t(source.status.st_size) + 256, '\0');
            ssize_t n = ::readlink(diskPath.c_str(), target.data(), target.size());
            if (n < 0)
                return sourceError(errno, diskPath);
            target.resize(size_t(n));
            source.linkTarget = std::move(target);
        } else if (type == S_IFREG) {
            plan.totalBytes += source.status.st_size;
        } else if (type != S_IFDIR) {
            return nullptr;
        }
        plan.entries.push_back(std::move(source));
        if (type != S_IFDIR)
            return nullptr;

        DIR* dir = ::opendir(diskPath.c_str());
        if (!dir)
            return sourceError(errno, diskPath);
        std::vector<std::string> names;
        errno = 0;
        while (dirent* e = ::readdir(dir)) {
            std::string name = e->d_name;
            if (name == "." || name == ".." || (ignoreHidden_ && isHidden(name)))
                continue;
            names.push_back(std::move(name));
        }
        int readError = errno;
        ::closedir(dir);
        if (readError != 0)
            return sourceError(readError, diskPath);
        std::sort(names.begin(), names.end());
        for (const auto& name : names) {
            if (auto error = add(diskPath + "/" + name, entryName + "/" + name))
                return error;
        }
        return nullptr;
    }

    CompressPlan plan;

private:
    bool ignoreHidden_;
    const std::function<bool()>& isCancelled_;
};

} // namespace

Foundation::Result<CompressPlan, Foundation::ErrorPtr>
planCompression(const std::vector<std::string>& items, bool ignoreHidden, const std::function<bool()>& isCancelled)
{
    using R = Foundation::Result<CompressPlan, Foundation::ErrorPtr>;
    if (items.empty())
        return R::failure(ZODArchiverMakeError(ZODArchiverErrorInvalidArgument));
    Walker walker(ignoreHidden, isCancelled);
    for (std::string item : items) {
        while (item.size() > 1 && item.back() == '/')
            item.pop_back();
        std::string name = item.substr(item.find_last_of('/') + 1);
        if (name.empty() || name == "." || name == "..")
            return R::failure(ZODArchiverMakeError(ZODArchiverErrorInvalidArgument,
                                                   {{Foundation::NSFilePathErrorKey, item}}));
        if (ignoreHidden && isHidden(name))
            continue;
        if (auto error = walker.add(item, name))
            return R::failure(error);
    }
    return R::success(std::move(walker.plan));
}

} // namespace Brackwen
