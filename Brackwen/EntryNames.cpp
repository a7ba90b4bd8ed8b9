#include "Brackwen/EntryNames.h"

#include <cstdio>

namespace Brackwen {

void splitEntryPath(std::string_view raw, std::vector<std::string_view>& components)
{
    components.clear();
    size_t start = 0;
    while (start <= raw.size()) {
        size_t end = raw.find('/', start);
        if (end == std::string_view::npos)
            end = raw.size();
        std::string_view part = raw.substr(start, end - start);
        if (!part.empty() && part != "." && part != "..")
            components.push_back(part);
        start = end + 1;
    }
}

bool isUnsafeEntryPath(std::string_view raw)
{
    if (raw.empty() || raw.front() == '/')
        return !raw.empty();
    size_t start = 0;
    while (start <= raw.size()) {
        size_t end = raw.find('/', start);
        if (end == std::string_view::npos)
            end = raw.size();
        if (raw.substr(start, end - start) == "..")
            return true;
        start = end + 1;
    }
    return false;
}

std::string decodeEntryName(std::string_view raw, Foundation::StringEncoding encoding)
{
    if (Foundation::isValidUTF8(raw))
        return std::string(raw);
    if (encoding != 0 && encoding != Foundation::Encoding::UTF8) {
        if (auto text = Foundation::decodeString(raw, encoding))
            return *text;
    }
    // Escapes each undecodable byte (and "%" itself, so that two names never
    // meet in one) and keeps the valid runs: the result is both readable and
    // the name written to disk.
    std::string out;
    size_t i = 0;
    while (i < raw.size()) {
        size_t len = 1;
        unsigned char c = static_cast<unsigned char>(raw[i]);
        if (c >= 0xF0)
            len = 4;
        else if (c >= 0xE0)
            len = 3;
        else if (c >= 0xC0)
            len = 2;
        if (c != '%' && i + len <= raw.size() && Foundation::isValidUTF8(raw.substr(i, len))) {
            out.append(raw.substr(i, len));
            i += len;
        } else {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            out += escaped;
            ++i;
        }
    }
    return out;
}

std::string formatByteCount(int64_t bytes)
{
    if (bytes < 1000)
        return std::to_string(bytes < 0 ? 0 : bytes) + " bytes";
    static const char* const units[] = {"KB", "MB", "GB", "TB", "PB"};
    double value = static_cast<double>(bytes) / 1000.0;
    int unit = 0;
    while (value >= 1000.0 && unit < 4) {
        value /= 1000.0;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, value < 10.0 ? "%.1f %s" : "%.0f %s", value, units[unit]);
    return text;
}

} // namespace Brackwen
