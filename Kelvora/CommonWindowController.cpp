#include "Kelvora/CommonWindowController.h"

#include "Kelvora/WindowOperations.h"

#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>

#include <optional>

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

namespace {

// Room for the title bar and borders that the window manager adds; their
// real size is known only once the window is shown.
constexpr QSize decorationAllowance(16, 48);

std::optional<QRect> availableArea(QWidget* widget)
{
    QScreen* screen = widget && widget->screen() ? widget->screen() : QGuiApplication::primaryScreen();
    if (!widget || !screen)
        return std::nullopt;
    return screen->availableGeometry();
}

void fitAndCentre(AppKit::Window& window, const QRect& area)
{
    window.widget()->resize(window.widget()->size().boundedTo(area.size() - decorationAllowance));
    window.center();
}

} // namespace

void setFrameAutosaveNameOnScreen(AppKit::WindowController& controller, const std::string& name)
{
    auto window = controller.window();
    const auto area = window ? availableArea(window->widget()) : std::nullopt;
    if (area)
        fitAndCentre(*window, *area);
    controller.setWindowFrameAutosaveName(name);
    if (area && !area->contains(window->frame()))
        fitAndCentre(*window, *area);
}
