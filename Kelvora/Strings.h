#pragma once
// The application's texts, looked up by key in its "Localizable" table.

#include <string>

std::string localizedString(const char* key);
