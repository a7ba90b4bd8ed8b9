#pragma once
// Stand-in for the platform's file coordinator. Linux has no file
// presenters to notify, so a coordinated read runs the accessor at once, on
// the calling thread, with the URL it was given; it fails without running
// the accessor when the item cannot be reached.

#include "Platform/Foundation/Error.h"
#include "Platform/Foundation/Path.h"

#include <functional>

namespace Foundation {

class FileCoordinator {
public:
    enum ReadingOptions : unsigned { readingWithoutChanges = 1 };

    FileCoordinator() = default;

    // Null when the accessor ran; the error of the failed look-up otherwise.
    ErrorPtr coordinateReadingItemAtURL(const URL& url, unsigned options,
                                        const std::function<void(const URL& newURL)>& accessor);
};

} // namespace Foundation
