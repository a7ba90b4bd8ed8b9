#pragma once
// Drives the UI layer's real widgets from tests: sheets, toolbar items and
// waiting for a condition.

#include "Platform/AppKit/Window.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace TestSupport {

// The sheet attached to the window, once one is (waits for it).
AppKit::WindowPtr waitForSheet(const AppKit::WindowPtr& window,
                               std::chrono::milliseconds limit = std::chrono::seconds(10));
// Clicks the n-th button of the window's attached sheet (0 is the first
// button added to an alert). False when there is no such sheet or button.
bool pressSheetButton(const AppKit::WindowPtr& window, int index);
// Clicks the toolbar item with the identifier; false when absent or disabled.
bool clickToolbarItem(const AppKit::WindowPtr& window, const std::string& identifier);
bool waitFor(const std::function<bool()>& predicate, std::chrono::milliseconds limit = std::chrono::seconds(20));

} // namespace TestSupport

namespace TestSupport {
// Types into the text field of the window's attached prompt.
bool typeIntoSheet(const AppKit::WindowPtr& window, const std::string& text);
} // namespace TestSupport

namespace TestSupport {
// The open or save panel shown on the window (or on its own for none), once
// one is. Accepting chooses the paths (all in one folder) or the save path
// and presses the panel's accept button; false when no panel shows.
bool acceptOpenPanel(const AppKit::WindowPtr& window, const std::vector<std::string>& paths);
bool acceptSavePanel(const AppKit::WindowPtr& window, const std::string& path);
bool cancelPanel(const AppKit::WindowPtr& window);
// Answers the save panel's question about replacing an existing file.
bool answerReplaceQuestion(const AppKit::WindowPtr& window, bool replace);
} // namespace TestSupport
