#pragma once
// Moves what 7zz extracted into a private staging folder into the
// destination with the engine's own checks: a place that
// is taken asks the conflict handler; a symbolic link in the destination is
// never written through; a link whose target is absolute or climbs out of
// the destination is refused.

#include "Brackwen/SevenZipBackend.h"

#include <string>
#include <sys/stat.h>
#include <vector>

namespace Brackwen {

class SevenZipPlacement {
public:
    SevenZipPlacement(std::string destination, SevenZipConflictHandler conflictHandler,
                      std::function<bool()> isCancelled);

    // Places the staged entry `source` at destination/<name>. Returns an
    // error only for what stops the whole extraction (cancel, a failed
    // move); refused links are collected in refusedLinks().
    Foundation::ErrorPtr place(const std::string& source, const std::string& name);

    const std::vector<std::string>& refusedLinks() const { return refused_; }

private:
    Foundation::ErrorPtr placeEntry(const std::string& source, const std::string& target,
                                    const std::string& relative);
    // True when the entry at `target` may be replaced; sets *stop on cancel.
    bool resolveConflict(const std::string& relative, Foundation::ErrorPtr* stop);
    // Reads the staged entry into `st`. `admitted` is false for a link that
    // leaves the destination (recorded as refused); set-id bits are stripped
    // from what is let through. Errors stop the extraction (cancel, a vanished entry).
    Foundation::ErrorPtr admit(const std::string& source, const std::string& relative, struct stat& st,
                               bool& admitted);
    // Admits everything below a staged folder that will move whole; refused
    // links are taken out of it.
    Foundation::ErrorPtr vetStagedFolder(const std::string& folder, const struct stat& folderStat,
                                         const std::string& relative);

    std::string destination_;
    SevenZipConflictHandler conflictHandler_;
    std::function<bool()> isCancelled_;
    std::optional<bool> replaceAll_; // true: replace all; false: skip all
    std::vector<std::string> refused_;
};

// True when a link at `relativePath` (inside the destination) whose target is
// `target` stays inside the destination.
bool linkStaysInside(const std::string& relativePath, const std::string& target);

} // namespace Brackwen
