#pragma once
// The failures the actions detect themselves. The host sees each as an
// error of the domain "Kelvora.AppIntentCustomError" whose code is the
// case's position; the application supplies no text of its own.

#include "Platform/Foundation/Error.h"

#include <cstdint>

inline constexpr const char* AppIntentCustomErrorDomain = "Kelvora.AppIntentCustomError";

enum class AppIntentCustomError : int64_t {
    archiverError = 0, // carries an engine error; no action raises it
    emptyInput = 1,
    unsupported = 2,
    fileAccess = 3,
    unknown = 4,
};

inline Foundation::ErrorPtr makeError(AppIntentCustomError error)
{
    return Foundation::Error::make(AppIntentCustomErrorDomain, static_cast<int64_t>(error));
}
