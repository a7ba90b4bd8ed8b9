#include "Platform/AppKit/Window.h"

#include "Platform/AppKit/WindowWidget.h"
#include "Platform/Dispatch/Dispatch.h"

#include <algorithm>

namespace AppKit {

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
