#include "Platform/AppKit/Controls.h"

#include "Platform/AppKit/Window.h"
#include "Platform/Dispatch/Dispatch.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardItemModel>
#include <QStyle>
#include <QToolButton>

#include <algorithm>
#include <cmath>

namespace AppKit {

namespace {
QString qs(const std::string& s) { return QString::fromStdString(s); }

// Asks the layout for its whole text and, when given less, ends what fits
// with an ellipsis instead of pushing the window wider.
class TailTruncatingLabel : public QLabel {
public:
    QSize minimumSizeHint() const override
    {
        QSize size = QLabel::minimumSizeHint();
        const QMargins margins = contentsMargins();
        size.setWidth(fontMetrics().horizontalAdvance(QStringLiteral("\u2026")) + margins.left() + margins.right());
        return size;
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QRect area = contentsRect();
        const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, area.width());
        style()->drawItemText(&painter, area, QStyle::visualAlignment(layoutDirection(), alignment()), palette(),
                              isEnabled(), shown, foregroundRole());
    }
};
} // namespace

Control::~Control()
{
    for (auto& connection : connections_)
        QObject::disconnect(connection);
}

bool Control::isEnabled() const { return widget() && widget()->isEnabled(); }

void Control::setEnabled(bool enabled)
{
    if (widget())
        widget()->setEnabled(enabled);
}

void Control::sendAction()
{
    Dispatch::assertMainThread("Control::sendAction");
    // A copy: the action may replace itself or release the control.
    if (auto action = action_)
        action();
}

// MARK: TextField

TextField::TextField(Kind kind, bool secure) : Control(nullptr), secure_(secure)
{
    if (kind == Kind::field) {
        field_ = new QLineEdit;
        if (secure)
            field_->setEchoMode(QLineEdit::Password);
        adoptWidget(field_);
        track(QObject::connect(field_, &QLineEdit::returnPressed, [this] { sendAction(); }));
        track(QObject::connect(field_, &QLineEdit::textEdited, [this] {
            if (auto handler = textDidChange_)
                handler();
        }));
    } else {
        label_ = kind == Kind::label ? new TailTruncatingLabel : new QLabel;
        label_->setWordWrap(kind == Kind::wrappingLabel);
        label_->setTextFormat(Qt::PlainText);
        adoptWidget(label_);
    }
}

std::shared_ptr<TextField> TextField::labelWithString(const std::string& text)
{
    auto field = std::make_shared<TextField>(Kind::label, false);
    field->setStringValue(text);
    return field;
}

std::shared_ptr<TextField> TextField::wrappingLabelWithString(const std::string& text)
{
    auto field = std::make_shared<TextField>(Kind::wrappingLabel, false);
    field->setStringValue(text);
    return field;
}

std::shared_ptr<TextField> TextField::textFieldWithString(const std::string& text)
{
    auto field = std::make_shared<TextField>(Kind::field, false);
    field->setStringValue(text);
    return field;
}

std::shared_ptr<TextField> TextField::secureTextField() { return std::make_shared<TextField>(Kind::field, true); }

std::string TextField::stringValue() const
{
    if (field_)
        return field_->text().toStdString();
    return label_ ? label_->text().toStdString() : std::string();
}

void TextField::setStringValue(const std::string& text)
{
    if (field_)
        field_->setText(qs(text));
    else if (label_)
        label_->setText(qs(text));
}

std::string TextField::placeholderString() const
{
    return field_ ? field_->placeholderText().toStdString() : std::string();
}

void TextField::setPlaceholderString(const std::string& text)
{
    if (field_)
        field_->setPlaceholderText(qs(text));
}

bool TextField::isEditable() const { return field_ && !field_->isReadOnly(); }

void TextField::setEditable(bool editable)
{
    if (field_)
        field_->setReadOnly(!editable);
}

// MARK: Button

Button::Button(Kind kind) : Control(nullptr)
{
    switch (kind) {
    case Kind::push:
        button_ = new QPushButton;
        break;
    case Kind::checkbox:
        button_ = new QCheckBox;
        break;
    case Kind::image: {
        auto* tool = new QToolButton;
        tool->setAutoRaise(true);
        tool->setToolButtonStyle(Qt::ToolButtonIconOnly);
        button_ = tool;
        break;
    }
    }
    adoptWidget(button_);
    track(QObject::connect(button_, &QAbstractButton::clicked, [this] { sendAction(); }));
}

std::shared_ptr<Button> Button::buttonWithTitle(const std::string& title, Action action)
{
    auto button = std::make_shared<Button>(Kind::push);
    button->setTitle(title);
    button->setAction(std::move(action));
    return button;
}

std::shared_ptr<Button> Button::checkboxWithTitle(const std::string& title, Action action)
{
    auto button = std::make_shared<Button>(Kind::checkbox);
    button->setTitle(title);
    button->setAction(std::move(action));
    return button;
}

std::shared_ptr<Button> Button::buttonWithImage(const QIcon& image, Action action)
{
    auto button = std::make_shared<Button>(Kind::image);
    button->setImage(image);
    button->setAction(std::move(action));
    return button;
}

std::string Button::title() const { return button_ ? button_->text().toStdString() : std::string(); }

void Button::setTitle(const std::string& title)
{
    if (button_)
        button_->setText(qs(title));
}

void Button::setImage(const QIcon& image)
{
    if (button_)
        button_->setIcon(image);
}

ControlStateValue Button::state() const
{
    return button_ && button_->isCheckable() && button_->isChecked() ? ControlStateValueOn : ControlStateValueOff;
}

void Button::setState(ControlStateValue state)
{
    if (button_ && button_->isCheckable())
        button_->setChecked(state == ControlStateValueOn);
}

void Button::performClick()
{
    if (button_ && button_->isEnabled())
        button_->click();
}

void Button::setKeyEquivalent(const std::string& keyEquivalent)
{
    setButtonKeyEquivalent(button_, keyEquivalent);
}

// MARK: SegmentedControl

SegmentedControl::SegmentedControl() : Control(new QWidget), group_(new QButtonGroup(widget()))
{
    auto* layout = new QHBoxLayout(widget());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    group_->setExclusive(true);
    track(QObject::connect(group_, &QButtonGroup::idClicked, [this](int) { sendAction(); }));
}

std::shared_ptr<SegmentedControl> SegmentedControl::segmentedControlWithLabels(const std::vector<std::string>& labels,
                                                                               Action action)
{
    auto control = std::make_shared<SegmentedControl>();
    for (const auto& label : labels)
        control->addSegment(label);
    control->setAction(std::move(action));
    return control;
}

void SegmentedControl::addSegment(const std::string& label)
{
    auto* button = new QToolButton;
    button->setCheckable(true);
    button->setText(qs(label));
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    widget()->layout()->addWidget(button);
    group_->addButton(button, segmentCount());
}

int SegmentedControl::segmentCount() const { return static_cast<int>(group_->buttons().size()); }

void SegmentedControl::setLabel(const std::string& label, int segment)
{
    if (auto* button = group_->button(segment))
        button->setText(qs(label));
}

void SegmentedControl::setImage(const QIcon& image, int segment)
{
    if (auto* button = qobject_cast<QToolButton*>(group_->button(segment))) {
        button->setIcon(image);
        button->setToolButtonStyle(image.isNull() ? Qt::ToolButtonTextOnly : Qt::ToolButtonIconOnly);
    }
}

std::string SegmentedControl::labelForSegment(int segment) const
{
    auto* button = group_->button(segment);
    return button ? button->text().toStdString() : std::string();
}

int SegmentedControl::selectedSegment() const { return group_->checkedId(); }

void SegmentedControl::setSelectedSegment(int segment)
{
    if (auto* button = group_->button(segment)) {
        button->setChecked(true);
    } else if (auto* checked = group_->checkedButton()) {
        group_->setExclusive(false);
        checked->setChecked(false);
        group_->setExclusive(true);
    }
}

void SegmentedControl::setEnabledForSegment(bool enabled, int segment)
{
    if (auto* button = group_->button(segment))
        button->setEnabled(enabled);
}

bool SegmentedControl::isEnabledForSegment(int segment) const
{
    auto* button = group_->button(segment);
    return button && button->isEnabled();
}

void SegmentedControl::performClickOnSegment(int segment)
{
    auto* button = group_->button(segment);
    if (button && button->isEnabled() && isEnabled())
        button->click();
}

// MARK: PopUpButton

PopUpButton::PopUpButton() : Control(nullptr), box_(new QComboBox)
{
    adoptWidget(box_);
    track(QObject::connect(box_, &QComboBox::activated, [this](int) { sendAction(); }));
}

std::shared_ptr<PopUpButton> PopUpButton::make(Action action)
{
    auto button = std::make_shared<PopUpButton>();
    button->setAction(std::move(action));
    return button;
}

void PopUpButton::addItemWithTitle(const std::string& title) { box_->addItem(qs(title)); }

void PopUpButton::addItemsWithTitles(const std::vector<std::string>& titles)
{
    for (const auto& title : titles)
        addItemWithTitle(title);
}

void PopUpButton::removeAllItems() { box_->clear(); }
int PopUpButton::numberOfItems() const { return box_->count(); }
std::string PopUpButton::itemTitleAtIndex(int index) const { return box_->itemText(index).toStdString(); }
int PopUpButton::indexOfSelectedItem() const { return box_->currentIndex(); }
std::string PopUpButton::titleOfSelectedItem() const { return box_->currentText().toStdString(); }

void PopUpButton::selectItemAtIndex(int index)
{
    if (index >= -1 && index < box_->count())
        box_->setCurrentIndex(index);
}

void PopUpButton::setItemEnabled(int index, bool enabled)
{
    auto* model = qobject_cast<QStandardItemModel*>(box_->model());
    if (auto* item = model ? model->item(index) : nullptr)
        item->setEnabled(enabled);
}

bool PopUpButton::isItemEnabled(int index) const
{
    auto* model = qobject_cast<QStandardItemModel*>(box_->model());
    auto* item = model ? model->item(index) : nullptr;
    return item && item->isEnabled();
}

void PopUpButton::performSelectItemAtIndex(int index)
{
    if (!isEnabled() || !isItemEnabled(index))
        return;
    box_->setCurrentIndex(index);
    sendAction();
}

// MARK: ProgressIndicator

namespace {
constexpr int barScale = 10000;
}

ProgressIndicator::ProgressIndicator(Style style) : View(nullptr), bar_(new QProgressBar), style_(style)
{
    adoptWidget(bar_);
    bar_->setTextVisible(false);
    if (style == Style::spinning) {
        bar_->setFixedSize(32, 12);
        bar_->setVisible(false);
    }
    apply();
}

std::shared_ptr<ProgressIndicator> ProgressIndicator::make(Style style)
{
    return std::make_shared<ProgressIndicator>(style);
}

void ProgressIndicator::setMinValue(double value)
{
    min_ = value;
    apply();
}

void ProgressIndicator::setMaxValue(double value)
{
    max_ = value;
    apply();
}

void ProgressIndicator::setDoubleValue(double value)
{
    value_ = std::min(std::max(value, min_), max_);
    apply();
}

void ProgressIndicator::setIndeterminate(bool indeterminate)
{
    indeterminate_ = indeterminate;
    apply();
}

void ProgressIndicator::startAnimation()
{
    animating_ = true;
    if (style_ == Style::spinning)
        bar_->setVisible(true);
    apply();
}

void ProgressIndicator::stopAnimation()
{
    animating_ = false;
    if (style_ == Style::spinning)
        bar_->setVisible(false);
    apply();
}

void ProgressIndicator::apply()
{
    // Qt shows a busy bar for an empty range.
    if (indeterminate_ || style_ == Style::spinning) {
        bar_->setRange(0, 0);
        return;
    }
    bar_->setRange(0, barScale);
    const double span = max_ - min_;
    const double fraction = span > 0 ? std::min(std::max(value_ - min_, 0.0), span) / span : 0.0;
    bar_->setValue(static_cast<int>(std::lround(fraction * barScale)));
}

} // namespace AppKit
