#pragma once
// The program's user-visible texts, looked up by key in its string tables.
// A table is a Qt Linguist file named after it (Localizable.ts, Plurals.ts),
// compiled and embedded by kelvora_string_tables() (cmake/Translations.cmake):
// context = table name, source = key, translation = the English text. Tables
// of several libraries coexist; a key is looked up in each table of that name.
//
//   Foundation::localizedString("Cancel")                   // "Cancel" when missing
//   Foundation::localizedStringWithCount("%n items", 3, "Plurals")   // "3 items"
//   Foundation::format(localizedString("“%@” is in “%@”."), {name, folder})
//
// Thread-safe; tables are loaded on first use.

#include <cstdint>
#include <string>
#include <vector>

namespace Foundation {

// The text for the key in the table of the bundle ("main": the program's own
// tables); the key itself when no table has it.
std::string localizedString(const std::string& key, const std::string& table = "Localizable",
                            const std::string& bundle = "main");

// The plural form for the count (Qt numerus forms of the English tables), with
// "%n", "%d", "%ld", "%lld", "%u", "%lu" replaced by the count; the key
// (counted the same way) when missing.
std::string localizedStringWithCount(const std::string& key, int64_t count,
                                     const std::string& table = "Plurals",
                                     const std::string& bundle = "main");

// Fills a format string: each "%@" takes the next argument, "%1$@" … "%9$@"
// the argument of that number, "%%" is a percent sign. A missing argument
// gives the empty text.
std::string format(const std::string& fmt, const std::vector<std::string>& args);

} // namespace Foundation
