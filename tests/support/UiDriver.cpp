#include "tests/support/UiDriver.h"

#include "Platform/AppKit/Toolbar.h"
#include "tests/support/EventLoop.h"

#include <QMainWindow>
#include <QPushButton>

namespace TestSupport {

bool waitFor(const std::function<bool()>& predicate, std::chrono::milliseconds limit)
{
    return waitUntil(predicate, limit);
}

AppKit::WindowPtr waitForSheet(const AppKit::WindowPtr& window, std::chrono::milliseconds limit)
{
    if (!window)
        return nullptr;
    waitUntil([&] { return window->attachedSheet() && window->attachedSheet()->widget()->isVisible(); }, limit);
    return window->attachedSheet();
}

bool pressSheetButton(const AppKit::WindowPtr& window, int index)
{
    auto sheet = waitForSheet(window);
    if (!sheet)
        return false;
    const auto buttons = sheet->widget()->findChildren<QPushButton*>();
    for (QPushButton* button : buttons) {
        if (button->property("sheetButtonIndex").toInt() == index && button->property("sheetButtonIndex").isValid()) {
            if (!button->isEnabled())
                return false;
            button->click();
            return true;
        }
    }
    return false;
}

bool clickToolbarItem(const AppKit::WindowPtr& window, const std::string& identifier)
{
    auto toolbar = window ? window->toolbar() : nullptr;
    auto item = toolbar ? toolbar->itemWithIdentifier(identifier) : nullptr;
    if (!item || !item->isEnabled())
        return false;
    item->performClick();
    return true;
}

} // namespace TestSupport

#include <QLineEdit>

namespace TestSupport {

bool typeIntoSheet(const AppKit::WindowPtr& window, const std::string& text)
{
    auto sheet = waitForSheet(window);
    auto* field = sheet ? sheet->widget()->findChild<QLineEdit*>() : nullptr;
    if (!field)
        return false;
    field->setText(QString::fromStdString(text));
    return true;
}

} // namespace TestSupport
