#pragma once
// The kit's sheet helpers on view controllers. Every completion runs on the
// main thread, at most once; with the controller shown in no window the
// alert or window is shown on its own.

#include "Platform/AppKit/Alert.h"
#include "Platform/AppKit/ViewController.h"

#include <functional>
#include <optional>
#include <string>

namespace Tiberly {

void showModalSheet(AppKit::ViewController& controller, const AppKit::AlertPtr& alert,
                    std::function<void(AppKit::ModalResponse)> completionHandler);
void showModalSheet(AppKit::ViewController& controller, const AppKit::WindowPtr& window,
                    std::function<void(AppKit::ModalResponse)> completionHandler);
// One line of text (hidden when secure), or none on cancel.
void showTextInput(AppKit::ViewController& controller, const std::string& messageText, const std::string& placeholder,
                   const std::string& okButtonTitle, const std::string& cancelButtonTitle, bool secure,
                   std::function<void(std::optional<std::string>)> completion);

} // namespace Tiberly
