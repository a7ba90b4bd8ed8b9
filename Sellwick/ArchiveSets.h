#pragma once
// The file managers pass every selected file at once: some are the volumes
// of one archive, others archives of their own.

#include <string>
#include <vector>

namespace Sellwick {

// Groups the paths into archives. Files of one folder whose names share a
// base with volume suffixes (base.001, base.002, …; base.part1.rar,
// base.part2.rar, …; base.z01, …, base.zip) are one archive, its volumes in
// their number order (the .zip last); any other file is an archive of its
// own. Archives come in the order of their first path.
std::vector<std::vector<std::string>> archiveSets(const std::vector<std::string>& paths);

} // namespace Sellwick
