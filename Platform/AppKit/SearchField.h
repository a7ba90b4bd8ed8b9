#pragma once
// Stand-in for the platform's search field over a QLineEdit with a clear
// button: its text, a placeholder, and an action sent on every change of
// the text (clearing included) and on Enter, to the target or, without
// one, along the responder chain, with the field as the sender.

#include "Platform/AppKit/View.h"

#include <string>

class QLineEdit;

namespace AppKit {

class SearchField : public View {
public:
    static std::shared_ptr<SearchField> make();
    SearchField();

    std::string stringValue() const;
    // Sets the text without sending the action (as the platform's setter).
    void setStringValue(const std::string& text);
    std::string placeholderString() const;
    void setPlaceholderString(const std::string& text);

    void setTarget(std::weak_ptr<Responder> target) { target_ = std::move(target); }
    void setAction(Selector action) { action_ = std::move(action); }
    const Selector& action() const { return action_; }

    QLineEdit* lineEdit() const;

private:
    void sendAction();

    std::weak_ptr<Responder> target_;
    Selector action_;
    bool settingText_ = false;
};

using SearchFieldPtr = std::shared_ptr<SearchField>;

} // namespace AppKit
