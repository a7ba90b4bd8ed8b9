#pragma once
// Writing extracted entries inside one destination folder and nowhere else:
// every folder on the way is opened without following links (so nothing is
// ever written through a symbolic link), every file is written unnamed (or
// to a temporary name beside its target) and gets its name only when
// complete.

#include "Platform/Foundation/Error.h"

#include <string>
#include <unordered_set>
#include <vector>

namespace Brackwen {

class DiskPlacement {
public:
    // Fails when the destination is not an existing folder.
    Foundation::ErrorPtr open(const std::string& destination);
    ~DiskPlacement();

    const std::string& destination() const { return destination_; }

    // The descriptor of the folder dest/components[0..count) (made when
    // create is set and it is missing); -1 with *error set otherwise. The
    // descriptor belongs to the placement (valid until the next call).
    int folder(const std::vector<std::string>& components, size_t count, bool create, Foundation::ErrorPtr* error);

    // Whether this placement made the folder at `path` (components joined
    // by '/'): nothing but the extraction itself has put a name in it.
    bool made(const std::string& path) const { return madePaths_.count(path) > 0; }

    // Removes the folders this placement made that are still empty (after
    // a failed or cancelled extraction).
    void removeEmptyCreatedFolders();

    // A new temporary file beside `name` in the folder; -1 and errno on failure.
    static int createTemporary(int folderFd, const std::string& name, std::string& temporaryName);

    // A new file in the folder that has no name until nameComplete gives it
    // one, so a half-written file is never seen under any name and costs no
    // rename; -1 when the file system cannot make one (then use
    // createTemporary).
    int createUnnamed(int folderFd);
    // Links the complete unnamed file to `name` or, when something is in
    // the way, to a new temporary name beside it (in temporaryName) for the
    // caller to rename over what is there; false with errno set.
    static bool nameComplete(int fd, int folderFd, const std::string& name, std::string& temporaryName);

    // Writes all of `data` at `offset`: 0, or the errno (ENOSPC when the
    // disk takes nothing more).
    static int writeAt(int fd, const char* data, size_t size, off_t offset);

    // Whether files can be made unnamed here at all.
    bool unnamedWorks() const { return unnamedWorks_; }

    std::string describe(const std::vector<std::string>& components, size_t count) const;

private:
    void closeCached();
    std::string destination_;
    int destinationFd_ = -1;
    std::vector<std::string> cachedPath_;
    std::vector<std::vector<std::string>> created_;
    std::unordered_set<std::string> madePaths_;
    int cachedFd_ = -1;
    bool unnamedWorks_ = true;
};

} // namespace Brackwen
