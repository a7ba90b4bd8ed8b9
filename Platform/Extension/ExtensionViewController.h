#pragma once
// Stand-in for the view controller of an action extension: the platform's
// view controller, which carries the extension context of the request it
// serves (none until the host sets it).

#include "Platform/AppKit/ViewController.h"
#include "Platform/Extension/ExtensionContext.h"

namespace Extension {

class ExtensionViewController : public AppKit::ViewController {
public:
    ExtensionContextPtr extensionContext() const { return extensionContext_; }
    // Set by the host before the view appears.
    void setExtensionContext(ExtensionContextPtr context) { extensionContext_ = std::move(context); }

private:
    ExtensionContextPtr extensionContext_;
};

} // namespace Extension
