#pragma once
// Stand-in for the platform's extension context: the request that started
// an action extension. Its input items are values of any kind, as the
// platform's are; the host hands over ExtensionItemPtr values. Completing or
// cancelling the request tells the host, which ends the program.
// Main-thread only.

#include "Platform/Foundation/Error.h"

#include <any>
#include <functional>
#include <memory>
#include <vector>

namespace Extension {

class ExtensionContext {
public:
    enum class State { open, completed, cancelled };

    // How a call ended the request, as the host hears it.
    struct Ending {
        State state;
        std::vector<std::any> returnedItems; // when completed
        Foundation::ErrorPtr error;          // when cancelled
    };
    // Hears every completing or cancelling call; only the first one ends the
    // request, the others find it ended already.
    using EndHandler = std::function<void(const Ending&)>;

    explicit ExtensionContext(std::vector<std::any> inputItems) : inputItems_(std::move(inputItems)) {}

    const std::vector<std::any>& inputItems() const { return inputItems_; }
    State state() const { return state_; }

    // The completion handler runs after the host has heard the request end,
    // with whether the request had ended before this call.
    void completeRequestReturningItems(std::vector<std::any> items,
                                       std::function<void(bool expired)> completionHandler = {});
    void cancelRequestWithError(Foundation::ErrorPtr error);

    // The host's side.
    void setEndHandler(EndHandler handler) { endHandler_ = std::move(handler); }

private:
    bool end(Ending ending);

    std::vector<std::any> inputItems_;
    State state_ = State::open;
    EndHandler endHandler_;
};

using ExtensionContextPtr = std::shared_ptr<ExtensionContext>;

} // namespace Extension
