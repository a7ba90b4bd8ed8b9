#include "Platform/AppKit/SearchField.h"

#include "Platform/AppKit/Application.h"
#include "Platform/Dispatch/Dispatch.h"

#include <QLineEdit>

namespace AppKit {

std::shared_ptr<SearchField> SearchField::make()
{
    auto field = std::make_shared<SearchField>();
    std::weak_ptr<View> weak = field;
    auto send = [weak] {
        if (auto self = std::static_pointer_cast<SearchField>(weak.lock()))
            self->sendAction();
    };
    QObject::connect(field->lineEdit(), &QLineEdit::textChanged, field->lineEdit(), send);
    QObject::connect(field->lineEdit(), &QLineEdit::returnPressed, field->lineEdit(), send);
    return field;
}

SearchField::SearchField()
    : View(new QLineEdit)
{
    lineEdit()->setClearButtonEnabled(true);
    lineEdit()->setMinimumWidth(160);
}

QLineEdit* SearchField::lineEdit() const
{
    return static_cast<QLineEdit*>(widget());
}

std::string SearchField::stringValue() const
{
    return lineEdit()->text().toStdString();
}

void SearchField::setStringValue(const std::string& text)
{
    settingText_ = true;
    lineEdit()->setText(QString::fromStdString(text));
    settingText_ = false;
}

std::string SearchField::placeholderString() const
{
    return lineEdit()->placeholderText().toStdString();
}

void SearchField::setPlaceholderString(const std::string& text)
{
    lineEdit()->setPlaceholderText(QString::fromStdString(text));
}

void SearchField::sendAction()
{
    Dispatch::assertMainThread("SearchField::sendAction");
    if (settingText_ || action_.empty())
        return;
    auto keep = shared_from_this();
    Application::shared().sendAction(action_, target_.lock().get(), this);
}

} // namespace AppKit
