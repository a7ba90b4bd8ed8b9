#pragma once
// Stand-in for the platform's named and symbol images: each name maps to a
// freedesktop theme icon (with a Qt standard icon when the theme has none).

#include <QIcon>

#include <string>

namespace AppKit::Image {

// "NSFolder", "NSActionTemplate", "NSCaution", symbol names such as
// "doc.zipper" or "magnifyingglass", or a theme icon name itself.
QIcon named(const std::string& name);
// Without a desktop icon theme (none, or only "hicolor": a bare X server,
// the offscreen platform) picks an installed full theme, so that toolbar and
// file icons show. Called when the application object is made.
void chooseIconTheme();

} // namespace AppKit::Image
