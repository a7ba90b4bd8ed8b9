#pragma once
// Stand-in for the platform's responder: an object that handles named
// actions. Menu items, toolbar items and controls send an action to an
// explicit target or, without one, to the first responder in the chain
// that Application::targetForAction walks (focused view, its superviews and
// their controllers, window, window controller, application, delegate).

#include <functional>
#include <map>
#include <string>

namespace AppKit {

// An action's name, e.g. "openDocument:".
using Selector = std::string;

class Responder {
public:
    using ActionHandler = std::function<void(Responder* sender)>;
    // Whether the action is enabled now (the menu and toolbar validation).
    using Validator = std::function<bool()>;

    Responder() = default;
    Responder(const Responder&) = delete;
    Responder& operator=(const Responder&) = delete;
    virtual ~Responder() = default;

    void setActionHandler(const Selector& action, ActionHandler handler, Validator validator = {});
    void removeActionHandler(const Selector& action);

    virtual bool respondsTo(const Selector& action) const;
    // True when the responder handles the action now (and it is enabled).
    virtual bool validate(const Selector& action) const;
    // Runs the action's handler; false when the responder has none.
    virtual bool tryToPerform(const Selector& action, Responder* sender);

private:
    struct Entry {
        ActionHandler handler;
        Validator validator;
    };
    std::map<Selector, Entry> actions_;
};

} // namespace AppKit
