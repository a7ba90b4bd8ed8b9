#pragma once
// Byte counts as the platform's byte-count formatter writes them with its
// default settings: decimal units, "Zero KB", "1 byte", whole kilobytes,
// one decimal from megabytes on, two from gigabytes on.

#include <cstdint>
#include <string>

std::string byteCountString(int64_t bytes);
