#include "Kelvora/SearchField.h"

#include "Platform/AppKit/Image.h"

#include <QLineEdit>

SearchField::SearchField()
    : AppKit::View(new QLineEdit)
{
    auto* edit = lineEdit();
    edit->setClearButtonEnabled(true);
    edit->addAction(AppKit::Image::named("magnifyingglass"), QLineEdit::LeadingPosition);
    edit->setMinimumWidth(180);
    edit->setMaximumWidth(240);
    QObject::connect(edit, &QLineEdit::textChanged, edit, [this] {
        if (action)
            action(*this);
    });
}

QLineEdit* SearchField::lineEdit() const
{
    return qobject_cast<QLineEdit*>(widget());
}

std::string SearchField::stringValue() const
{
    return lineEdit()->text().toStdString();
}

void SearchField::setStringValue(const std::string& text)
{
    lineEdit()->setText(QString::fromStdString(text));
}
