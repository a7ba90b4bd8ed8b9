#include "Platform/AppKit/Window.h"

#include "Platform/AppKit/Menu.h"
#include "Platform/AppKit/WindowWidget.h"
#include "Platform/Dispatch/Dispatch.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QPushButton>

#include <algorithm>

namespace AppKit {

namespace {
constexpr const char* kKeyEquivalent = "keyEquivalent";
constexpr const char* kEscape = "\x1b";
} // namespace

void setButtonKeyEquivalent(QAbstractButton* button, const std::string& keyEquivalent)
{
    if (!button)
        return;
    auto* push = qobject_cast<QPushButton*>(button);
    if (keyEquivalent == "\r") {
        if (push)
            push->setDefault(true);
        return;
    }
    if (keyEquivalent == kEscape) {
        button->setProperty(kKeyEquivalent, QString::fromLatin1(kEscape));
        return;
    }
    if (push)
        push->setDefault(false);
    button->setProperty(kKeyEquivalent, QVariant());
}

// Keys that answer a window's buttons

bool Window::performKeyEquivalent(const QKeyEvent& event)
{
    if (!widget_)
        return false;
    const bool enter = (event.key() == Qt::Key_Return && event.modifiers() == Qt::NoModifier)
        || (event.key() == Qt::Key_Enter && (event.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier);
    const bool escape = event.key() == Qt::Key_Escape && event.modifiers() == Qt::NoModifier;
    if (!enter && !escape)
        return false;
    // Buttons of this window only: a sheet's widgets are children of its
    // host's while it is attached.
    for (auto* button : widget_->findChildren<QAbstractButton*>()) {
        if (button->window() != widget_ || !button->isVisible())
            continue;
        auto* push = qobject_cast<QPushButton*>(button);
        const bool answers = enter ? push && push->isDefault()
                                   : button->property(kKeyEquivalent).toString() == QLatin1String(kEscape);
        if (!answers)
            continue;
        if (button->isEnabled())
            button->click();
        return true;
    }
    return false;
}

void Window::beginSheet(const WindowPtr& sheet, std::function<void(ModalResponse)> completion)
{
    Dispatch::assertMainThread("Window::beginSheet");
    if (!sheet || sheet.get() == this)
        return;
    if (attachedSheet_) {
        pendingSheets_.emplace_back(sheet, std::move(completion));
        return;
    }
    startSheet(sheet, std::move(completion));
}

void Window::startSheet(const WindowPtr& sheet, std::function<void(ModalResponse)> completion)
{
    attachedSheet_ = sheet;
    sheetCompletion_ = std::move(completion);
    sheet->sheetParent_ = weak_from_this();
    Menu::installMenuBar(*sheet);
    sheet->widget_->setParent(widget_);
    sheet->widget_->setWindowModality(Qt::WindowModal);
    sheet->applyFlags();
    sheet->closed_ = false;
    QRect geometry = sheet->widget_->frameGeometry();
    geometry.moveCenter(widget_->frameGeometry().center());
    geometry.moveTop(widget_->geometry().top());
    sheet->widget_->move(geometry.topLeft());
    sheet->widget_->show();
    sheet->widget_->raise();
    sheet->widget_->activateWindow();
    sheet->didShow();
}

void Window::endSheet(const WindowPtr& sheet, ModalResponse response)
{
    Dispatch::assertMainThread("Window::endSheet");
    if (!sheet)
        return;
    if (sheet != attachedSheet_) {
        // A queued sheet that never showed still answers once.
        auto it = std::find_if(pendingSheets_.begin(), pendingSheets_.end(),
                               [&](const auto& entry) { return entry.first == sheet; });
        if (it != pendingSheets_.end()) {
            auto completion = std::move(it->second);
            pendingSheets_.erase(it);
            if (completion)
                completion(response);
        }
        return;
    }
    auto self = shared_from_this();
    auto keep = attachedSheet_;
    auto completion = std::move(sheetCompletion_);
    sheetCompletion_ = nullptr;
    attachedSheet_.reset();
    if (keep->widget_) {
        keep->widget_->hide();
        keep->widget_->setWindowModality(Qt::NonModal);
        keep->widget_->setParent(nullptr);
    }
    keep->sheetParent_.reset();
    Menu::installMenuBar(*keep);
    keep->applyFlags();
    keep->didHide();
    if (widget_ && widget_->isVisible())
        widget_->activateWindow();
    if (completion)
        completion(response);
    if (!attachedSheet_ && !pendingSheets_.empty()) {
        auto next = std::move(pendingSheets_.front());
        pendingSheets_.erase(pendingSheets_.begin());
        startSheet(next.first, std::move(next.second));
    }
}

} // namespace AppKit
