#pragma once
// Stand-in for the platform's file manager. Failures are values: an error of
// NSPOSIXErrorDomain whose code is the errno value and whose NSFilePath is the
// path concerned. Operations that return ErrorPtr return null on success.
//
// User folders (created when missing and `create` is set):
//   documentDirectory            the XDG documents folder, else $HOME/Documents
//   libraryDirectory             $XDG_DATA_HOME (else $HOME/.local/share)
//   applicationSupportDirectory  $XDG_DATA_HOME (else $HOME/.local/share)
//   itemReplacementDirectory     $XDG_CACHE_HOME/7QXK3LM2PA.com.tarnu.Kelvora/TemporaryItems,
//                                mode 0700, shared by all the programs. The same
//                                folder for every `appropriateFor` URL.
//                                setItemReplacementDirectoryUnobtainable(true)
//                                (tests) makes asking for it fail.
// temporaryDirectory(): $TMPDIR, else /tmp (not created).

#include "Platform/Foundation/Error.h"
#include "Platform/Foundation/Path.h"
#include "Platform/Foundation/Result.h"

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace Foundation {

// The item-replacement folder's application-group name.
inline constexpr const char* kApplicationGroupIdentifier = "7QXK3LM2PA.com.tarnu.Kelvora";

namespace FileManager {

enum class SearchPathDirectory { documentDirectory, libraryDirectory, applicationSupportDirectory, itemReplacementDirectory };

// Whether something exists at the path (links followed); *isDirectory tells
// whether it is a folder.
bool fileExists(const std::string& path, bool* isDirectory = nullptr);

// Creates a folder; with intermediates, also the missing parents, and an
// existing folder is no failure. `mode` applies to the last folder only
// (default: 0777 less the umask).
ErrorPtr createDirectory(const std::string& path, bool withIntermediateDirectories,
                         std::optional<mode_t> mode = std::nullopt);
// Removes a file, a link (not its target) or a whole folder.
ErrorPtr removeItem(const std::string& path);
// Fails when the destination exists; crosses file systems by copy and removal.
ErrorPtr moveItem(const std::string& source, const std::string& destination);
// Copies a file or a whole folder (links as links); fails when the destination exists.
ErrorPtr copyItem(const std::string& source, const std::string& destination);
// The names of a folder's immediate children, hidden ones included, sorted.
Result<std::vector<std::string>, ErrorPtr> contentsOfDirectory(const std::string& path);

Result<URL, ErrorPtr> urlForDirectory(SearchPathDirectory directory,
                                      const std::optional<URL>& appropriateFor = std::nullopt,
                                      bool create = true);

std::string temporaryDirectory();

// Test seam: while set, the item-replacement folder cannot be had.
void setItemReplacementDirectoryUnobtainable(bool value);

} // namespace FileManager
} // namespace Foundation
