#pragma once
// Private work folders that the engine makes beside what it writes (the 7z
// staging folder inside a destination, the folder an archive is written in
// before it is renamed into place). Each is named
//   .kelvora-<kind>.<pid>.<start>.XXXXXX
// after the process that owns it (its pid and the kernel's start time of
// that process), so that one left behind by a run that was killed (SIGKILL,
// power loss) can be told from one in use and removed by the next operation
// into the same folder.

#include <cstdint>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace Brackwen {

// Makes a fresh owned folder in `parent` (mode 0700). Empty, with errno
// set, when it cannot be made.
std::string makeOwnedFolder(const std::string& parent, std::string_view kind);

// Removes the owned folders in `parent` whose owner has ended. Only real
// folders of this user are touched; a live owner, or one whose state cannot
// be read, keeps its folder.
void removeAbandonedFolders(const std::string& parent);

} // namespace Brackwen
