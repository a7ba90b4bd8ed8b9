#pragma once
// Access bookkeeping of the actions. On Linux an item is accessible when
// the process may read it (and, for a folder that receives files, write
// into it); there is nothing to end, but the calls keep the pairing
// observable. Tests can refuse access to chosen paths.

#include <QUrl>

#include <functional>
#include <vector>

// Appends the URL to the list and returns true when access starts.
bool startAccessingSecurityScopedResource(const QUrl& url, std::vector<QUrl>& recordingIn);

// Ends access for each URL of the list, in order; the list is not changed.
void stopAccessingSecurityScopedResources(const std::vector<QUrl>& urls);

namespace SecurityScopedAccessSeam {
// Replaces the platform check; null restores it.
void setStartHandler(std::function<bool(const QUrl&)> handler);
// Called for every URL whose access ends.
void setStopObserver(std::function<void(const QUrl&)> observer);
} // namespace SecurityScopedAccessSeam
