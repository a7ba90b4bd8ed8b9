#include "Platform/Extension/ExtensionContext.h"

#include "Platform/Dispatch/Dispatch.h"

namespace Extension {

bool ExtensionContext::end(Ending ending)
{
    Dispatch::assertMainThread("ExtensionContext request end");
    const bool expired = state_ != State::open;
    if (!expired)
        state_ = ending.state;
    if (endHandler_)
        endHandler_(ending);
    return expired;
}

void ExtensionContext::completeRequestReturningItems(std::vector<std::any> items,
                                                     std::function<void(bool expired)> completionHandler)
{
    const bool expired = end({State::completed, std::move(items), nullptr});
    if (completionHandler)
        completionHandler(expired);
}

void ExtensionContext::cancelRequestWithError(Foundation::ErrorPtr error)
{
    end({State::cancelled, {}, std::move(error)});
}

} // namespace Extension
