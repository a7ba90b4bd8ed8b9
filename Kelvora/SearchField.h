#pragma once
// A search field sending its action as the text changes (the UI layer has
// no search field yet).

#include "Platform/AppKit/View.h"

#include <functional>
#include <string>

class QLineEdit;

class SearchField : public AppKit::View {
public:
    SearchField();

    QLineEdit* lineEdit() const;
    std::string stringValue() const;
    void setStringValue(const std::string& text);

    std::function<void(SearchField&)> action;
};
