#include "Platform/Foundation/StringEncodingDetection.h"

#include <QString>

#include <unicode/ucsdet.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>

namespace Foundation {

namespace {

using namespace Encoding;

// Each ICU detector's charset, with the listed encodings that decode its
// text alike.
const std::map<std::string, std::vector<StringEncoding>>& detectorFamilies()
{
    static const std::map<std::string, std::vector<StringEncoding>> families = {
        {"Shift_JIS", {ShiftJIS, DOSJapanese}},
        {"EUC-JP", {JapaneseEUC}},
        {"ISO-2022-JP", {ISO2022JP}},
        {"GB18030", {GB18030, GBK, EUC_CN, DOSChineseSimplified}},
        {"Big5", {Big5, Big5HKSCS, DOSChineseTraditional}},
        {"EUC-KR", {EUC_KR, DOSKorean}},
        {"ISO-8859-1", {ISOLatin1, ISOLatin9, WindowsCP1252}},
        {"windows-1252", {WindowsCP1252, ISOLatin1, ISOLatin9}},
        {"ISO-8859-2", {ISOLatin2}},
        {"windows-1250", {WindowsCP1250}},
        {"ISO-8859-5", {ISOLatinCyrillic}},
        {"windows-1251", {WindowsCP1251}},
        {"KOI8-R", {KOI8_R, KOI8_U}},
        {"ISO-8859-7", {ISOLatinGreek}},
        {"windows-1253", {WindowsCP1253}},
        {"ISO-8859-8", {ISOLatinHebrew}},
        {"ISO-8859-8-I", {ISOLatinHebrew}},
        {"windows-1255", {WindowsHebrew}},
        {"ISO-8859-9", {WindowsCP1254}},
        {"windows-1254", {WindowsCP1254}},
        {"windows-1256", {WindowsArabic}},
    };
    return families;
}

// ICU's confidence (0–100) for each listed encoding.
std::map<StringEncoding, int> detectorConfidence(std::string_view bytes)
{
    std::map<StringEncoding, int> confidence;
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UCharsetDetector, decltype(&ucsdet_close)> detector(ucsdet_open(&status), ucsdet_close);
    if (U_FAILURE(status))
        return confidence;
    ucsdet_setText(detector.get(), bytes.data(), static_cast<int32_t>(bytes.size()), &status);
    int32_t count = 0;
    const UCharsetMatch** matches = ucsdet_detectAll(detector.get(), &count, &status);
    if (U_FAILURE(status))
        return confidence;
    for (int32_t i = 0; i < count; ++i) {
        UErrorCode matchStatus = U_ZERO_ERROR;
        const char* name = ucsdet_getName(matches[i], &matchStatus);
        const int32_t value = ucsdet_getConfidence(matches[i], &matchStatus);
        if (U_FAILURE(matchStatus) || !name)
            continue;
        const auto family = detectorFamilies().find(name);
        if (family == detectorFamilies().end())
            continue;
        for (StringEncoding encoding : family->second)
            confidence[encoding] = std::max(confidence[encoding], static_cast<int>(value));
    }
    return confidence;
}

// The encodings that names are commonly written in where the locale's
// language is used.
std::set<StringEncoding> regionalEncodings(const std::string& localeName)
{
    const std::string language = localeName.substr(0, localeName.find_first_of("_-.@"));
    const std::string territory =
        localeName.size() > language.size() + 1 ? localeName.substr(language.size() + 1, 2) : std::string();
    if (language == "ja")
        return {JapaneseEUC, ShiftJIS, DOSJapanese, ISO2022JP};
    if (language == "zh" && (territory == "TW" || territory == "HK" || territory == "MO"))
        return {Big5, Big5HKSCS, DOSChineseTraditional};
    if (language == "zh")
        return {GB18030, GBK, EUC_CN, DOSChineseSimplified};
    if (language == "ko")
        return {EUC_KR, DOSKorean};
    if (language == "ru" || language == "uk" || language == "be" || language == "bg" || language == "sr"
        || language == "mk")
        return {WindowsCP1251, KOI8_R, KOI8_U, ISOLatinCyrillic, DOSRussian, DOSCyrillic};
    if (language == "el")
        return {WindowsCP1253, ISOLatinGreek, DOSGreek};
    if (language == "tr")
        return {WindowsCP1254, DOSTurkish};
    if (language == "he")
        return {WindowsHebrew, ISOLatinHebrew};
    if (language == "ar" || language == "fa")
        return {WindowsArabic};
    if (language == "pl" || language == "cs" || language == "sk" || language == "hu" || language == "sl"
        || language == "hr" || language == "ro")
        return {ISOLatin2, WindowsCP1250, DOSLatin2};
    if (language == "lt" || language == "lv" || language == "et")
        return {WindowsBaltic};
    if (language == "vi")
        return {WindowsVietnamese};
    if (language == "th")
        return {DOSThai};
    if (language.empty() || language == "C" || language == "POSIX")
        return {};
    return {ISOLatin1, ISOLatin9, WindowsCP1252, DOSLatinUS, DOSLatin1};
}

bool isDOSCodePage(StringEncoding encoding)
{
    static const std::set<StringEncoding> pages = {DOSLatinUS,  DOSLatin1,   DOSLatin2,
                                                   DOSCyrillic, DOSTurkish,  DOSRussian,
                                                   DOSGreek,    DOSThai,     DOSJapanese,
                                                   DOSChineseSimplified,     DOSKorean,
                                                   DOSChineseTraditional};
    return pages.count(encoding) > 0;
}

// The double-byte characters of the sample that its encoding's standard
// ranks beyond its common level (second-level ideographs, extensions,
// half-width kana): names are written with common characters, so bytes that
// decode mostly into rare ones were not written in that encoding. -1 for an
// encoding without such levels.
int rareCharacters(std::string_view bytes, StringEncoding encoding)
{
    enum class Family { japaneseShiftJIS, japaneseEUC, chinese, chineseTraditional, korean };
    Family family;
    if (encoding == ShiftJIS || encoding == DOSJapanese)
        family = Family::japaneseShiftJIS;
    else if (encoding == JapaneseEUC)
        family = Family::japaneseEUC;
    else if (encoding == GB18030 || encoding == GBK || encoding == EUC_CN || encoding == DOSChineseSimplified)
        family = Family::chinese;
    else if (encoding == Big5 || encoding == Big5HKSCS || encoding == DOSChineseTraditional)
        family = Family::chineseTraditional;
    else if (encoding == EUC_KR || encoding == DOSKorean)
        family = Family::korean;
    else
        return -1;
    int rare = 0;
    for (size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const auto trail = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0;
        if (lead < 0x80) {
            ++i;
            continue;
        }
        bool common = false;
        size_t length = 2;
        switch (family) {
        case Family::japaneseShiftJIS:
            if (lead >= 0xA1 && lead <= 0xDF)
                length = 1;
            common = lead == 0x82 || lead == 0x83 || (lead >= 0x88 && lead <= 0x98);
            break;
        case Family::japaneseEUC:
            if (lead == 0x8F)
                length = 3;
            common = lead == 0xA4 || lead == 0xA5 || (lead >= 0xB0 && lead <= 0xCF);
            break;
        case Family::chinese:
            if (trail >= 0x30 && trail <= 0x39)
                length = 4;
            common = lead >= 0xB0 && lead <= 0xD7 && trail >= 0xA1;
            break;
        case Family::chineseTraditional:
            common = lead >= 0xA4 && lead <= 0xC6;
            break;
        case Family::korean:
            common = lead >= 0xB0 && lead <= 0xC8 && trail >= 0xA1;
            break;
        }
        if (!common)
            ++rare;
        i += length;
    }
    return rare;
}

// Scripts that one word of East Asian text mixes freely count as one.
QChar::Script wordScript(char32_t c)
{
    const QChar::Script script = QChar::script(c);
    switch (script) {
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Hangul:
    case QChar::Script_Bopomofo:
        return QChar::Script_Han;
    default:
        return script;
    }
}

// How much the text reads as a name, per character beyond ASCII: letters
// count for, symbols and stray punctuation against; a word that mixes
// scripts, a Latin word made mostly of accented letters, a capital inside a
// word and a rare ideograph count against. None when the text holds a
// character no name holds.
std::optional<double> readability(const std::string& utf8, int rare)
{
    const std::u32string text = QString::fromStdString(utf8).toStdU32String();
    double score = 0;
    int beyondASCII = 0;
    std::set<QChar::Script> wordScripts;
    int asciiLetters = 0, otherLatinLetters = 0;
    auto endWord = [&] {
        if (wordScripts.size() > 1)
            score -= 3;
        if (wordScripts.size() == 1 && *wordScripts.begin() == QChar::Script_Latin && otherLatinLetters > asciiLetters
            && asciiLetters + otherLatinLetters >= 3)
            score -= 2;
        wordScripts.clear();
        asciiLetters = otherLatinLetters = 0;
    };
    bool afterLowercase = false, previousBeyondASCII = false;
    for (char32_t c : text) {
        const QChar::Category category = QChar::category(c);
        if (category == QChar::Other_Control || category == QChar::Other_NotAssigned
            || category == QChar::Other_PrivateUse || category == QChar::Other_Surrogate || c == 0xFFFD)
            return std::nullopt;
        const bool letter = QChar::isLetter(c);
        const bool mark = QChar::isMark(c);
        if (c >= 0x80) {
            ++beyondASCII;
            if (letter)
                score += 1;
            else if (!mark)
                score -= 2;
        }
        // A capital after a small letter of the same word, one of them beyond
        // ASCII: what a Latin page makes of another page's letters.
        if (afterLowercase && QChar::isUpper(c) && (c >= 0x80 || previousBeyondASCII))
            score -= 2;
        afterLowercase = letter ? QChar::isLower(c) : mark && afterLowercase;
        previousBeyondASCII = c >= 0x80;
        if (letter) {
            const QChar::Script script = wordScript(c);
            wordScripts.insert(script);
            if (script == QChar::Script_Latin)
                ++(c < 0x80 ? asciiLetters : otherLatinLetters);
        } else if (!mark) {
            endWord();
        }
    }
    endWord();
    score -= 3 * std::max(rare, 0);
    return beyondASCII == 0 ? 0.0 : score / beyondASCII;
}

} // namespace

std::optional<StringEncoding> mostLikelyStringEncoding(std::string_view bytes,
                                                       const std::vector<StringEncoding>& candidates,
                                                       const StringEncodingHints& hints)
{
    // Weights in points: a name that reads well is worth up to 50, a sure
    // detector 50, each hint 15; enough for a hint to settle what the text
    // alone leaves open, not to outvote it.
    constexpr double readabilityWeight = 50, detectorWeight = 0.5, hintWeight = 15;
    // Archives keep names as bytes in ASCII-based encodings (those that
    // store UTF-16 never ask), so one that does not read ASCII as ASCII is out.
    const std::string asciiProbe = "Name-1.txt";
    const auto confidence = detectorConfidence(bytes);
    const auto regional = regionalEncodings(hints.localeName);

    std::optional<StringEncoding> best;
    double bestScore = 0;
    for (StringEncoding encoding : candidates) {
        if (decodeString(asciiProbe, encoding) != asciiProbe)
            continue;
        const auto decoded = decodeString(bytes, encoding);
        if (!decoded)
            continue;
        const auto readable = readability(*decoded, rareCharacters(bytes, encoding));
        if (!readable)
            continue;
        double score = readabilityWeight * *readable;
        if (const auto found = confidence.find(encoding); found != confidence.end())
            score += detectorWeight * found->second;
        if (regional.count(encoding))
            score += hintWeight;
        if (hints.dosCodePagesLikely && isDOSCodePage(encoding))
            score += hintWeight;
        if (!best || score > bestScore) {
            best = encoding;
            bestScore = score;
        }
    }
    return best;
}

} // namespace Foundation
