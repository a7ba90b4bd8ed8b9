#pragma once
// Stand-in for the platform's recent documents: the freedesktop
// "recently-used.xbel" under $XDG_DATA_HOME, shared with the other programs
// of the desktop. Entries of other applications are kept as they are.
//
// One seam: setStorePath() points the list at another file.

#include <string>
#include <vector>

namespace AppKit {

class RecentDocuments {
public:
    // Adds the file's entry, or refreshes its modified and visited times,
    // with its MIME type and "Kelvora" ("kelvora %u") among its
    // applications; false when the list could not be written, or exists but
    // cannot be parsed (it is then left alone).
    static bool noteNewRecentDocument(const std::string& path);
    // Local paths of the list, most recently used first.
    static std::vector<std::string> recentDocumentPaths();

    static std::string storePath();
    // Another file for the list; empty restores the desktop's.
    static void setStorePath(std::string path);
};

} // namespace AppKit
