#pragma once
// Stand-in for the platform's process information: operating-system version
// checks. This platform has every interface that such a check guards (the
// newer window titles and toolbar settings), so every check holds.

namespace Foundation {

struct OperatingSystemVersion {
    int majorVersion = 0;
    int minorVersion = 0;
    int patchVersion = 0;
};

inline bool isOperatingSystemAtLeastVersion(const OperatingSystemVersion&)
{
    return true;
}

} // namespace Foundation
