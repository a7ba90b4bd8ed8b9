#include "Platform/Foundation/StringEncoding.h"

#include <iconv.h>

#include <cerrno>

namespace Foundation {

namespace {

struct EncodingInfo {
    StringEncoding number;
    const char* iconvName;
    const char* name;
};

// Menu order: Unicode first, then Western, then the rest by region.
const EncodingInfo kEncodings[] = {
    {Encoding::UTF8, "UTF-8", "Unicode (UTF-8)"},
    {Encoding::UTF16, "UTF-16", "Unicode (UTF-16)"},
    {Encoding::UTF16BigEndian, "UTF-16BE", "Unicode (UTF-16BE)"},
    {Encoding::UTF16LittleEndian, "UTF-16LE", "Unicode (UTF-16LE)"},
    {Encoding::UTF32, "UTF-32", "Unicode (UTF-32)"},
    {Encoding::UTF32BigEndian, "UTF-32BE", "Unicode (UTF-32BE)"},
    {Encoding::UTF32LittleEndian, "UTF-32LE", "Unicode (UTF-32LE)"},
    {Encoding::ASCII, "ASCII", "Western (ASCII)"},
    {Encoding::ISOLatin1, "ISO-8859-1", "Western (ISO Latin 1)"},
    {Encoding::ISOLatin9, "ISO-8859-15", "Western (ISO Latin 9)"},
    {Encoding::WindowsCP1252, "CP1252", "Western (Windows Latin 1)"},
    {Encoding::MacOSRoman, "MACINTOSH", "Western (Mac OS Roman)"},
    {Encoding::NEXTSTEP, "NEXTSTEP", "Western (NextStep)"},
    {Encoding::DOSLatinUS, "CP437", "Latin-US (DOS)"},
    {Encoding::DOSLatin1, "CP850", "Western (DOS Latin 1)"},
    {Encoding::ISOLatin2, "ISO-8859-2", "Central European (ISO Latin 2)"},
    {Encoding::WindowsCP1250, "CP1250", "Central European (Windows Latin 2)"},
    {Encoding::DOSLatin2, "CP852", "Central European (DOS Latin 2)"},
    {Encoding::JapaneseEUC, "EUC-JP", "Japanese (EUC)"},
    {Encoding::ShiftJIS, "SHIFT_JIS", "Japanese (Shift JIS)"},
    {Encoding::DOSJapanese, "CP932", "Japanese (Windows, DOS)"},
    {Encoding::ISO2022JP, "ISO-2022-JP", "Japanese (ISO 2022-JP)"},
    {Encoding::GB18030, "GB18030", "Chinese (GB 18030)"},
    {Encoding::GBK, "GBK", "Chinese (GBK)"},
    {Encoding::EUC_CN, "EUC-CN", "Simplified Chinese (GB 2312)"},
    {Encoding::DOSChineseSimplified, "CP936", "Simplified Chinese (Windows, DOS)"},
    {Encoding::Big5, "BIG5", "Traditional Chinese (Big 5)"},
    {Encoding::Big5HKSCS, "BIG5-HKSCS", "Traditional Chinese (Big 5 HKSCS)"},
    {Encoding::DOSChineseTraditional, "CP950", "Traditional Chinese (Windows, DOS)"},
    {Encoding::EUC_KR, "EUC-KR", "Korean (EUC)"},
    {Encoding::DOSKorean, "CP949", "Korean (Windows, DOS)"},
    {Encoding::WindowsCP1251, "CP1251", "Cyrillic (Windows)"},
    {Encoding::KOI8_R, "KOI8-R", "Cyrillic (KOI8-R)"},
    {Encoding::KOI8_U, "KOI8-U", "Ukrainian (KOI8-U)"},
    {Encoding::ISOLatinCyrillic, "ISO-8859-5", "Cyrillic (ISO 8859-5)"},
    {Encoding::DOSRussian, "CP866", "Cyrillic (DOS)"},
    {Encoding::DOSCyrillic, "CP855", "Cyrillic (DOS 855)"},
    {Encoding::WindowsCP1253, "CP1253", "Greek (Windows)"},
    {Encoding::ISOLatinGreek, "ISO-8859-7", "Greek (ISO 8859-7)"},
    {Encoding::DOSGreek, "CP737", "Greek (DOS)"},
    {Encoding::WindowsCP1254, "CP1254", "Turkish (Windows Latin 5)"},
    {Encoding::DOSTurkish, "CP857", "Turkish (DOS)"},
    {Encoding::WindowsHebrew, "CP1255", "Hebrew (Windows)"},
    {Encoding::ISOLatinHebrew, "ISO-8859-8", "Hebrew (ISO 8859-8)"},
    {Encoding::WindowsArabic, "CP1256", "Arabic (Windows)"},
    {Encoding::WindowsBaltic, "CP1257", "Baltic (Windows)"},
    {Encoding::WindowsVietnamese, "CP1258", "Vietnamese (Windows)"},
    {Encoding::DOSThai, "CP874", "Thai (Windows, DOS)"},
};

const EncodingInfo* find(StringEncoding encoding)
{
    for (const auto& e : kEncodings)
        if (e.number == encoding)
            return &e;
    return nullptr;
}

bool iconvKnows(const char* name)
{
    iconv_t cd = iconv_open("UTF-8", name);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    iconv_close(cd);
    return true;
}

} // namespace

const std::vector<StringEncoding>& availableStringEncodings()
{
    static const std::vector<StringEncoding> list = [] {
        std::vector<StringEncoding> v;
        for (const auto& e : kEncodings)
            if (iconvKnows(e.iconvName))
                v.push_back(e.number);
        v.push_back(0);
        return v;
    }();
    return list;
}

std::string localizedNameOfStringEncoding(StringEncoding encoding)
{
    const auto* e = find(encoding);
    return e ? e->name : std::string();
}

std::string iconvNameOfStringEncoding(StringEncoding encoding)
{
    const auto* e = find(encoding);
    return e ? e->iconvName : std::string();
}

bool isValidUTF8(std::string_view s)
{
    size_t i = 0, n = s.size();
    while (i < n) {
        auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        int len;
        uint32_t cp;
        if ((c & 0xE0) == 0xC0) {
            len = 2;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            len = 3;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            len = 4;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + len > n)
            return false;
        for (int k = 1; k < len; ++k) {
            auto cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if ((len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF))
            || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += len;
    }
    return true;
}

std::optional<std::string> decodeString(std::string_view bytes, StringEncoding encoding)
{
    if (encoding == Encoding::UTF8) {
        if (!isValidUTF8(bytes))
            return std::nullopt;
        return std::string(bytes);
    }
    const auto* e = find(encoding);
    if (!e)
        return std::nullopt;
    iconv_t cd = iconv_open("UTF-8", e->iconvName);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    std::string out;
    out.resize(bytes.size() * 4 + 16);
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    bool ok = true;
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) {
            if (errno == E2BIG) {
                size_t used = static_cast<size_t>(outPtr - out.data());
                out.resize(out.size() * 2);
                outPtr = out.data() + used;
                outLeft = out.size() - used;
                continue;
            }
            ok = false;
            break;
        }
    }
    if (ok && iconv(cd, nullptr, nullptr, &outPtr, &outLeft) == static_cast<size_t>(-1))
        ok = false;
    iconv_close(cd);
    if (!ok)
        return std::nullopt;
    out.resize(static_cast<size_t>(outPtr - out.data()));
    return out;
}

} // namespace Foundation
