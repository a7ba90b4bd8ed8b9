#pragma once
// Item identifiers of the browser window's toolbar.

namespace BrowserToolbar {
inline constexpr const char* toolbarIdentifier = "ArchiveBrowserWindowToolbar";
inline constexpr const char* navigation = "com.tarnu.Kelvora.navigation";
inline constexpr const char* archive = "com.tarnu.Kelvora.archive";
inline constexpr const char* unarchive = "com.tarnu.Kelvora.unarchive";
inline constexpr const char* tasks = "com.tarnu.Kelvora.tasks";
inline constexpr const char* search = "com.tarnu.Kelvora.search";
} // namespace BrowserToolbar
