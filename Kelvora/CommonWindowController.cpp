#include "Kelvora/CommonWindowController.h"

#include "Kelvora/WindowOperations.h"

CommonWindowController::CommonWindowController(AppKit::WindowPtr window)
    : AppKit::WindowController(window)
{
}

void CommonWindowController::finishLoadingWindow()
{
    if (!isWindowLoaded())
        return;
    windowWillLoad();
    windowDidLoad();
}

void CommonWindowController::windowDidLoad()
{
    AppKit::WindowController::windowDidLoad();
    if (auto w = window()) {
        addVisualEffectBackground(*w);
        setAppWindowTitle(*w);
    }
}

void NoZoomWindowController::windowDidLoad()
{
    CommonWindowController::windowDidLoad();
    if (auto w = window())
        disableZoomButton(*w);
}
