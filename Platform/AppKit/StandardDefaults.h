#pragma once
// The layer's access to the program's standard defaults (window frames,
// the kit's settings). Internal.

#include <QVariant>

#include <string>

namespace AppKit::detail {

QVariant standardDefaultsValue(const std::string& key);
void setStandardDefaultsValue(const std::string& key, const QVariant& value);

} // namespace AppKit::detail
