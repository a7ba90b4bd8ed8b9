#include "Kelvora/CutomValidatableToolbarItem.h"

#include "Platform/AppKit/Application.h"
#include "Platform/AppKit/Window.h"

CutomValidatableToolbarItem::CutomValidatableToolbarItem(std::string identifier)
    : AppKit::ToolbarItem(std::move(identifier))
{
}

void CutomValidatableToolbarItem::setTarget(std::weak_ptr<AppKit::Responder> target)
{
    validationTarget_ = target;
    AppKit::ToolbarItem::setTarget(std::move(target));
}

void CutomValidatableToolbarItem::validate()
{
    // An item without a view of its own is its button in the tool bar.
    if (!action().empty()) {
        auto target = validationTarget_.lock();
        AppKit::Responder* receiver = AppKit::Application::shared().targetForAction(action(), target.get(), this);
        if (receiver) {
            if (auto* validation = dynamic_cast<ToolbarItemValidation*>(receiver)) {
                const bool enabled = validation->validateToolbarItem(*this);
                setEnabled(enabled);
                if (view())
                    view()->widget()->setEnabled(enabled);
            }
            return;
        }
    }
    auto target = validationTarget_.lock();
    setEnabled(action().empty() || AppKit::Application::shared().targetForAction(action(), target.get(), this));
}

void validateVisibleToolbarItems(AppKit::Window& window)
{
    auto toolbar = window.toolbar();
    if (!toolbar)
        return;
    for (const auto& item : toolbar->items())
        if (auto custom = std::dynamic_pointer_cast<CutomValidatableToolbarItem>(item))
            custom->validate();
}
