#pragma once
// Recent documents in the freedesktop list ("recently-used.xbel" in the
// user's data folder), newest last. (The UI layer has no recent-documents
// list yet.)

#include <string>
#include <vector>

namespace RecentDocuments {
void noteNewRecentDocumentURL(const std::string& path);
// The file URLs of the list, in file order.
std::vector<std::string> recentDocumentURLs();
} // namespace RecentDocuments
