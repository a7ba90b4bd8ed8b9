#pragma once
// The application's texts, looked up by key in its "Localizable" table;
// counted texts in its "Plurals" table.

#include <string>

std::string localizedString(const char* key);
// The plural form for n, with "%n" replaced by n.
std::string localizedPluralString(const char* key, long n);
