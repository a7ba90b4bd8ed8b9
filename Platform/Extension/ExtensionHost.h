#pragma once
// The host side of an action extension: the file manager starts the program
// with the selected paths; each path becomes one input item with one file
// attachment, the principal controller gets the request's context and its
// view is shown in the host's window. Ending the request (completed or
// cancelled) closes the window and ends the program.
//
//   int main(int argc, char** argv) {
//       return Extension::extensionMain(argc, argv, {"sellwick", "EXTENSION_DISPLAY_NAME"},
//                                       [] { return std::make_shared<ActionViewController>(); });
//   }

#include "Platform/AppKit/Window.h"
#include "Platform/Extension/ExtensionContext.h"
#include "Platform/Extension/ExtensionViewController.h"

#include <any>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Extension {

// One extension item with one file attachment for each path, in order.
std::vector<std::any> inputItemsForPaths(const std::vector<std::string>& paths);

class ExtensionHost {
public:
    // requestEnded gets the program's exit code: 0 when the request was
    // completed, 1 when it was cancelled. It runs once.
    ExtensionHost(std::shared_ptr<ExtensionViewController> principal, ExtensionContextPtr context,
                  std::string windowTitle, std::function<void(int exitCode)> requestEnded);

    // Hands the context to the controller and shows its view.
    void present();
    AppKit::WindowPtr window() const { return window_; }
    const std::shared_ptr<ExtensionViewController>& principal() const { return principal_; }

private:
    std::shared_ptr<ExtensionViewController> principal_;
    ExtensionContextPtr context_;
    std::string windowTitle_;
    std::function<void(int)> requestEnded_;
    AppKit::WindowPtr window_;
};

struct ExtensionInfo {
    std::string programName;     // also names the program's standard defaults
    std::string displayNameKey;  // of the host window's title, in the program's strings
};

// The program's main: the paths are the arguments; returns when the request ends.
int extensionMain(int argc, char** argv, const ExtensionInfo& info,
                  const std::function<std::shared_ptr<ExtensionViewController>()>& makePrincipal);

} // namespace Extension
