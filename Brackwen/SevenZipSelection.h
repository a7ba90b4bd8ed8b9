#pragma once
// Which stored entries of a listed archive one extraction takes, and how to
// name them to 7zz. The caller selects by cleaned names (the tree's), 7zz
// matches stored names: the plan translates, so an entry whose stored name
// climbs out ("../x", "/etc/x") is never handed to 7zz nor lost among the
// safe ones. Symbolic links are kept away from 7zz (its own link rule both
// refuses links that stay inside and leaves empty files in their place): the
// engine reads their targets and makes them itself.

#include "Brackwen/SevenZipBackend.h"

#include <string>
#include <vector>

namespace Brackwen {

struct SevenZipSelection {
    std::vector<std::string> extracted;      // stored names 7zz writes
    bool extractEverything = false;          // no include filter: all but `excluded`
    std::vector<std::string> excluded;       // stored names 7zz must not write
    std::vector<const SevenZipEntry*> links; // selected safe links, archive order
    std::vector<std::string> linkExcluded;   // below a link's name, not links
    std::vector<std::string> unsafe;         // selected stored names that climb out
    std::vector<std::string> unmatched;      // chosen names no entry has
};

// `folder`: cleaned path of the folder whose children are chosen ("" =
// root); `names`: those children (empty = all).
SevenZipSelection selectSevenZipEntries(const SevenZipListing& listing, const std::string& folder,
                                        const std::vector<std::string>& names);

// The cleaned, '/'-joined path of a stored name.
std::string cleanedEntryPath(const std::string& stored);

// 7zz arguments naming `names` through a list file at `listPath` (written
// here) with `listSwitch` ("-i" or "-x"); names a list file would change
// (7zz trims its lines) go on the command line. False when the file cannot
// be written (errno set).
bool appendNameSwitches(std::vector<std::string>& arguments, const char* listSwitch, const std::string& listPath,
                        const std::vector<std::string>& names);

} // namespace Brackwen
