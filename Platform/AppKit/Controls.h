#pragma once
// Stand-ins for the platform's controls over Qt widgets: text fields and
// labels, buttons (push, checkbox, image), segmented controls, pop-up
// buttons and progress indicators.
//
// A control's action is a callback run on the main thread when the user
// acts on it (or performClick() stands in for the user); setting a value in
// code does not run it, as on the platform. Main-thread only.

#include "Platform/AppKit/View.h"

#include <QIcon>
#include <QMetaObject>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAbstractButton;
class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;

namespace AppKit {

class Control : public View {
public:
    using Action = std::function<void()>;
    ~Control() override;

    bool isEnabled() const;
    void setEnabled(bool enabled);
    void setAction(Action action) { action_ = std::move(action); }

protected:
    explicit Control(QWidget* widget) : View(widget) {}
    void sendAction();
    // Connections made to the widget end with the control, not the widget
    // (which a Qt parent may keep alive longer).
    void track(QMetaObject::Connection connection) { connections_.push_back(std::move(connection)); }

private:
    Action action_;
    std::vector<QMetaObject::Connection> connections_;
};

class TextField : public Control {
public:
    // A one-line label that truncates at the tail; not editable.
    static std::shared_ptr<TextField> labelWithString(const std::string& text);
    // A label that wraps onto as many lines as it needs.
    static std::shared_ptr<TextField> wrappingLabelWithString(const std::string& text);
    // An editable one-line field; its action runs on Return.
    static std::shared_ptr<TextField> textFieldWithString(const std::string& text);
    // An editable field that hides what is typed.
    static std::shared_ptr<TextField> secureTextField();

    std::string stringValue() const;
    void setStringValue(const std::string& text);
    std::string placeholderString() const;
    void setPlaceholderString(const std::string& text);
    // Labels never become editable; fields become read-only.
    bool isEditable() const;
    void setEditable(bool editable);
    bool isSecure() const { return secure_; }
    // Runs on every edit by the user.
    void setTextDidChange(std::function<void()> handler) { textDidChange_ = std::move(handler); }

    enum class Kind { label, wrappingLabel, field };
    TextField(Kind kind, bool secure);

private:
    QLabel* label_ = nullptr;
    QLineEdit* field_ = nullptr;
    bool secure_ = false;
    std::function<void()> textDidChange_;
};

enum ControlStateValue : int { ControlStateValueOff = 0, ControlStateValueOn = 1, ControlStateValueMixed = -1 };

class Button : public Control {
public:
    static std::shared_ptr<Button> buttonWithTitle(const std::string& title, Action action = {});
    static std::shared_ptr<Button> checkboxWithTitle(const std::string& title, Action action = {});
    // Borderless, image only.
    static std::shared_ptr<Button> buttonWithImage(const QIcon& image, Action action = {});

    std::string title() const;
    void setTitle(const std::string& title);
    void setImage(const QIcon& image);
    // Checkboxes only: on or off.
    ControlStateValue state() const;
    void setState(ControlStateValue state);
    // Clicks as the user would (a disabled button does nothing).
    void performClick();
    // "\r": Return presses the button; "\x1b": Escape does.
    void setKeyEquivalent(const std::string& keyEquivalent);

    enum class Kind { push, checkbox, image };
    explicit Button(Kind kind);

private:
    QAbstractButton* button_;
};

// Segments side by side, one selected at a time.
class SegmentedControl : public Control {
public:
    static std::shared_ptr<SegmentedControl> segmentedControlWithLabels(const std::vector<std::string>& labels,
                                                                        Action action = {});
    SegmentedControl();

    int segmentCount() const;
    void setLabel(const std::string& label, int segment);
    std::string labelForSegment(int segment) const;
    // An image shown in place of the segment's label.
    void setImage(const QIcon& image, int segment);
    // -1 when none.
    int selectedSegment() const;
    void setSelectedSegment(int segment);
    void setEnabledForSegment(bool enabled, int segment);
    bool isEnabledForSegment(int segment) const;
    // Selects the segment and runs the action, as a click would.
    void performClickOnSegment(int segment);

private:
    void addSegment(const std::string& label);
    QButtonGroup* group_;
};

class PopUpButton : public Control {
public:
    static std::shared_ptr<PopUpButton> make(Action action = {});
    PopUpButton();

    void addItemWithTitle(const std::string& title);
    void addItemsWithTitles(const std::vector<std::string>& titles);
    void removeAllItems();
    int numberOfItems() const;
    std::string itemTitleAtIndex(int index) const;
    // -1 when none.
    int indexOfSelectedItem() const;
    std::string titleOfSelectedItem() const;
    void selectItemAtIndex(int index);
    void setItemEnabled(int index, bool enabled);
    bool isItemEnabled(int index) const;
    // Chooses the item and runs the action, as the user would.
    void performSelectItemAtIndex(int index);

private:
    QComboBox* box_;
};

class ProgressIndicator : public View {
public:
    enum class Style { bar, spinning };
    static std::shared_ptr<ProgressIndicator> make(Style style = Style::bar);
    explicit ProgressIndicator(Style style);

    Style style() const { return style_; }
    double minValue() const { return min_; }
    double maxValue() const { return max_; }
    double doubleValue() const { return value_; }
    void setMinValue(double value);
    void setMaxValue(double value);
    // Clamped to [min, max].
    void setDoubleValue(double value);
    bool isIndeterminate() const { return indeterminate_; }
    void setIndeterminate(bool indeterminate);
    // A spinner shows only while animating; a bar always shows.
    void startAnimation();
    void stopAnimation();
    bool isAnimating() const { return animating_; }

private:
    void apply();
    QProgressBar* bar_;
    Style style_;
    double min_ = 0;
    double max_ = 100;
    double value_ = 0;
    bool indeterminate_ = true;
    bool animating_ = false;
};

} // namespace AppKit
