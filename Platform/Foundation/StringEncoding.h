#pragma once
// The platform's string-encoding numbers, their names, and decoding of raw
// bytes (entry names of archives) with iconv.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Foundation {

using StringEncoding = uint64_t;

namespace Encoding {
inline constexpr StringEncoding ASCII = 1;
inline constexpr StringEncoding NEXTSTEP = 2;
inline constexpr StringEncoding JapaneseEUC = 3;
inline constexpr StringEncoding UTF8 = 4;
inline constexpr StringEncoding ISOLatin1 = 5;
inline constexpr StringEncoding NonLossyASCII = 7;
inline constexpr StringEncoding ShiftJIS = 8;
inline constexpr StringEncoding ISOLatin2 = 9;
inline constexpr StringEncoding UTF16 = 10;
inline constexpr StringEncoding WindowsCP1251 = 11;
inline constexpr StringEncoding WindowsCP1252 = 12;
inline constexpr StringEncoding WindowsCP1253 = 13;
inline constexpr StringEncoding WindowsCP1254 = 14;
inline constexpr StringEncoding WindowsCP1250 = 15;
inline constexpr StringEncoding ISO2022JP = 21;
inline constexpr StringEncoding MacOSRoman = 30;
inline constexpr StringEncoding UTF16BigEndian = 0x90000100;
inline constexpr StringEncoding UTF16LittleEndian = 0x94000100;
inline constexpr StringEncoding UTF32 = 0x8c000100;
inline constexpr StringEncoding UTF32BigEndian = 0x98000100;
inline constexpr StringEncoding UTF32LittleEndian = 0x9c000100;

// Encodings that the platform numbers after its core-foundation values.
constexpr StringEncoding fromCF(uint32_t cf) { return 0x80000000u | cf; }
inline constexpr StringEncoding GB18030 = fromCF(0x0632);
inline constexpr StringEncoding GBK = fromCF(0x0631);
inline constexpr StringEncoding EUC_CN = fromCF(0x0930);
inline constexpr StringEncoding Big5 = fromCF(0x0A03);
inline constexpr StringEncoding Big5HKSCS = fromCF(0x0A06);
inline constexpr StringEncoding EUC_KR = fromCF(0x0940);
inline constexpr StringEncoding KOI8_R = fromCF(0x0A02);
inline constexpr StringEncoding KOI8_U = fromCF(0x0A08);
inline constexpr StringEncoding DOSLatinUS = fromCF(0x0400);   // CP437
inline constexpr StringEncoding DOSGreek = fromCF(0x0405);     // CP737
inline constexpr StringEncoding DOSLatin1 = fromCF(0x0410);    // CP850
inline constexpr StringEncoding DOSLatin2 = fromCF(0x0411);    // CP852
inline constexpr StringEncoding DOSCyrillic = fromCF(0x0412);  // CP855
inline constexpr StringEncoding DOSTurkish = fromCF(0x0414);   // CP857
inline constexpr StringEncoding DOSRussian = fromCF(0x0413);   // CP866
inline constexpr StringEncoding DOSThai = fromCF(0x041D);      // CP874
inline constexpr StringEncoding DOSJapanese = fromCF(0x0420);  // CP932
inline constexpr StringEncoding DOSChineseSimplified = fromCF(0x0421); // CP936
inline constexpr StringEncoding DOSKorean = fromCF(0x0422);    // CP949
inline constexpr StringEncoding DOSChineseTraditional = fromCF(0x0423); // CP950
inline constexpr StringEncoding WindowsHebrew = fromCF(0x0505);
inline constexpr StringEncoding WindowsArabic = fromCF(0x0506);
inline constexpr StringEncoding WindowsBaltic = fromCF(0x0507);
inline constexpr StringEncoding WindowsVietnamese = fromCF(0x0508);
inline constexpr StringEncoding ISOLatinCyrillic = fromCF(0x0205); // ISO 8859-5
inline constexpr StringEncoding ISOLatinGreek = fromCF(0x0207);    // ISO 8859-7
inline constexpr StringEncoding ISOLatinHebrew = fromCF(0x0208);   // ISO 8859-8
inline constexpr StringEncoding ISOLatin9 = fromCF(0x020F);        // ISO 8859-15
} // namespace Encoding

// Every encoding this machine can decode, in the platform's menu order,
// ended by 0 (as the platform's list is).
const std::vector<StringEncoding>& availableStringEncodings();

// The English display name ("Japanese (Shift JIS)"); empty when unknown.
std::string localizedNameOfStringEncoding(StringEncoding encoding);

// The iconv name of an encoding; empty when unknown.
std::string iconvNameOfStringEncoding(StringEncoding encoding);

// Decodes bytes into UTF-8 text; absent when the encoding is unknown or the
// bytes are not valid in it.
std::optional<std::string> decodeString(std::string_view bytes, StringEncoding encoding);

// Whether the bytes are well-formed UTF-8.
bool isValidUTF8(std::string_view bytes);

} // namespace Foundation
