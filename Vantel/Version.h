#pragma once
// The framework's version symbols. Nothing reads them; they name the build.

extern "C" {
extern const double VantelVersionNumber;
extern const unsigned char VantelVersionString[];
}
