#pragma once
// The walk over the files and folders to compress, done before anything is
// written: it fixes the entry names (relative to each item's parent folder),
// finds a missing or unreadable source early and gives the byte total that
// progress is measured against.

#include "Platform/Foundation/Error.h"
#include "Platform/Foundation/Result.h"

#include <cstdint>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace Brackwen {

struct CompressSource {
    std::string diskPath;
    std::string entryName;   // '/'-separated, the item's own name first
    struct stat status {};   // lstat: links are stored as links
    std::string linkTarget;  // for symbolic links
};

struct CompressPlan {
    std::vector<CompressSource> entries; // parents before their children
    int64_t totalBytes = 0;              // regular file data
};

// Walks `items` recursively. Hidden names (starting with ".") are left out
// at every level when `ignoreHidden` is set. Sockets, pipes and devices are
// left out: no archive format here can restore them portably. Fails with
// FileNotFound or FileNotReadable naming the source, or Cancelled.
Foundation::Result<CompressPlan, Foundation::ErrorPtr>
planCompression(const std::vector<std::string>& items, bool ignoreHidden,
                const std::function<bool()>& isCancelled);

// The error for a source that cannot be read, naming it.
Foundation::ErrorPtr sourceError(int err, const std::string& path);

// A regular source opened for reading, closed when it goes.
class OpenedSource {
public:
    OpenedSource() = default;
    OpenedSource(const OpenedSource&) = delete;
    OpenedSource& operator=(const OpenedSource&) = delete;
    ~OpenedSource();
    int fd() const { return fd_; }

private:
    friend Foundation::ErrorPtr openSource(const CompressSource&, struct stat&, OpenedSource&);
    int fd_ = -1;
};

// Opens a regular source without following links and refreshes `status`
// from the open file, so that a file replaced since the walk by something
// else is refused rather than read. Other kinds are left closed.
Foundation::ErrorPtr openSource(const CompressSource& source, struct stat& status, OpenedSource& opened);

} // namespace Brackwen
