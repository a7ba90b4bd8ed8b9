#pragma once
// Stand-in for the platform's named and symbol images: each name maps to a
// freedesktop theme icon (with a Qt standard icon when the theme has none).

#include <QIcon>

#include <string>

namespace AppKit::Image {

// "NSFolder", "NSActionTemplate", "NSCaution", symbol names such as
// "doc.zipper" or "magnifyingglass", or a theme icon name itself.
QIcon named(const std::string& name);
// The theme icon name a platform name maps to (the name itself when unmapped).
std::string themeName(const std::string& name);

} // namespace AppKit::Image
