#pragma once
// Alerts built in code, shown application-modally or as a sheet on a
// window; the n-th added button answers 999 + n. (The UI layer has no alert
// yet; this is the application's own, over QMessageBox.)

#include "Platform/AppKit/Window.h"
#include "Platform/Foundation/Error.h"

#include <QPointer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QMessageBox;

enum class AlertStyle { warning = 0, informational = 1, critical = 2 };

class Alert {
public:
    // The error's description, with the file it concerns as informative
    // text; critical, one OK button.
    static std::shared_ptr<Alert> withError(const Foundation::ErrorPtr& error);

    std::string messageText;
    std::string informativeText;
    AlertStyle alertStyle = AlertStyle::warning;

    void addButton(std::string title) { buttons_.push_back(std::move(title)); }
    const std::vector<std::string>& buttons() const { return buttons_; }

    // Blocks until a button is pressed.
    AppKit::ModalResponse runModal();
    // Window-modal, without blocking; the completion runs once with the
    // response (AlertFirstButtonReturn + n, or ModalResponseStop when the
    // sheet is ended in code). The message box is a child of the window.
    void beginSheetModal(AppKit::Window& window, std::function<void(AppKit::ModalResponse)> completion);
    // Ends a sheet that is still up.
    void endSheet();

private:
    QMessageBox* build(QWidget* parent) const;

    std::vector<std::string> buttons_;
    QPointer<QMessageBox> sheet_;
};
