#pragma once
// The common look of the application's windows.

#include "Platform/AppKit/Window.h"

// A backdrop view behind the window's content; nothing without content.
void addVisualEffectBackground(AppKit::Window& window);
// The application's name as the window's title.
void setAppWindowTitle(AppKit::Window& window);
void disableZoomButton(AppKit::Window& window);

// The backdrop's object name, to find it among the content's children.
inline constexpr const char* visualEffectViewName = "VisualEffectView";
