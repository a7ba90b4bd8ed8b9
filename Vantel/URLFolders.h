#pragma once
// Where jobs put their temporary files and where panels start.
//
//   auto folder = Vantel::temp(std::nullopt);   // Result<URL, ErrorPtr>
//   if (folder.isSuccess()) job = folder.value().appendingPathComponent(uuid, true);
//   auto docs = Vantel::documents();            // optional URL
//
// All may be called from any thread.

#include "Platform/Foundation/Error.h"
#include "Platform/Foundation/Path.h"
#include "Platform/Foundation/Result.h"

#include <optional>

namespace Vantel {

// The user's folders, created when missing; absent on any failure.
std::optional<Foundation::URL> documents();
std::optional<Foundation::URL> library();
std::optional<Foundation::URL> applicationSupport();

// The item-replacement folder; when it cannot be had, the process temporary
// folder, created with its parents when missing. Fails with the file error of
// that creation.
Foundation::Result<Foundation::URL, Foundation::ErrorPtr> temp(const std::optional<Foundation::URL>& url);

} // namespace Vantel
