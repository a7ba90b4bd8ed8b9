#include "Platform/AppKit/Responder.h"

namespace AppKit {

void Responder::setActionHandler(const Selector& action, ActionHandler handler, Validator validator)
{
    actions_[action] = Entry{std::move(handler), std::move(validator)};
}

void Responder::removeActionHandler(const Selector& action)
{
    actions_.erase(action);
}

bool Responder::respondsTo(const Selector& action) const
{
    return actions_.count(action) != 0;
}

bool Responder::validate(const Selector& action) const
{
    const auto it = actions_.find(action);
    if (it == actions_.end())
        return false;
    return !it->second.validator || it->second.validator();
}

bool Responder::tryToPerform(const Selector& action, Responder* sender)
{
    const auto it = actions_.find(action);
    if (it == actions_.end())
        return false;
    // Copied: the handler may replace or remove itself.
    const ActionHandler handler = it->second.handler;
    handler(sender);
    return true;
}

} // namespace AppKit
