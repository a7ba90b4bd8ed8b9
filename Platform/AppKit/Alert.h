#pragma once
// Stand-in for the platform's alert: message, informative text, style and
// buttons whose responses are 1000, 1001, … in the order added (one "OK"
// button when none is added). Shown as a window-modal sheet without
// blocking; the completion runs once. Return presses the first button,
// Escape the cancel button.

#include "Platform/AppKit/Window.h"
#include "Platform/Foundation/Error.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QPushButton;

namespace AppKit {

enum class AlertStyle { warning, informational, critical };

class Alert : public std::enable_shared_from_this<Alert> {
public:
    Alert() = default;
    static std::shared_ptr<Alert> make() { return std::make_shared<Alert>(); }
    // Message from the error's description, informative text the file it
    // concerns.
    static std::shared_ptr<Alert> withError(const Foundation::ErrorPtr& error);

    std::string messageText;
    std::string informativeText;
    AlertStyle alertStyle = AlertStyle::warning;

    void addButton(const std::string& title);
    const std::vector<std::string>& buttonTitles() const { return titles_; }
    // The button Escape presses (set before the window is built): by
    // default the one titled "Cancel", as the platform's, else the first,
    // since an alert without a way back is dismissed by acknowledging it.
    void setCancelButtonIndex(size_t index) { cancelIndex_ = index; }
    size_t cancelButtonIndex() const;

    // Builds the alert's window (once) and shows it on the host as a sheet.
    void beginSheetModal(const WindowPtr& host, std::function<void(ModalResponse)> completion);
    // Runs a nested event loop until a button is pressed.
    ModalResponse runModal();

    WindowPtr window();
    // Presses the n-th button (0 is the first added), as a click does.
    void pressButton(size_t index);

private:
    void finish(ModalResponse response);

    std::vector<std::string> titles_;
    std::optional<size_t> cancelIndex_;
    WindowPtr window_;
    WindowPtr host_;
    std::function<void(ModalResponse)> completion_;
    bool finished_ = false;
};

using AlertPtr = std::shared_ptr<Alert>;

} // namespace AppKit
