// The encoding chooser's preselection: names in legacy encodings, as other
// systems' archivers write them, are offered decoded right.

#include "Platform/Foundation/StringEncoding.h"
#include "Tiberly/EncodingSelectionController.h"

#include <gtest/gtest.h>

#include <QLocale>

#include <iconv.h>

namespace {

using namespace Tiberly;

// The UTF-8 text in the named encoding, by iconv.
std::string encoded(const std::string& text, const std::string& encoding)
{
    iconv_t cd = iconv_open(encoding.c_str(), "UTF-8");
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1)) << encoding;
    std::string out(text.size() * 4, '\0');
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    EXPECT_NE(iconv(cd, &in, &inLeft, &outPtr, &outLeft), static_cast<size_t>(-1)) << text << " in " << encoding;
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

struct Case {
    std::string text;
    std::string codec;
    bool fromZip;
    std::string locale; // the user's; empty for C
};

// Runs the chooser on the case's bytes; what the preselected entry decodes to.
std::string preselectedReading(const Case& c, std::vector<Foundation::StringEncoding>* listed = nullptr)
{
    const QLocale saved;
    QLocale::setDefault(c.locale.empty() ? QLocale::c() : QLocale(QString::fromStdString(c.locale)));
    auto controller = std::make_shared<EncodingSelectionController>();
    controller->setSampleBytes(encoded(c.text, c.codec));
    controller->setSampleFromZip(c.fromZip);
    const auto& encodings = controller->encodings();
    QLocale::setDefault(saved);
    if (listed)
        *listed = encodings;
    const int index = controller->encodingPopUp()->indexOfSelectedItem();
    if (index < 0 || index >= static_cast<int>(encodings.size()))
        return "(nothing selected)";
    EXPECT_EQ(controller->previewLabel()->stringValue(),
              Foundation::decodeString(controller->sampleBytes(), encodings[static_cast<size_t>(index)]).value_or(""));
    return Foundation::decodeString(controller->sampleBytes(), encodings[static_cast<size_t>(index)])
        .value_or("(undecodable)");
}

TEST(EncodingSelection, PreselectsTheEncodingThatReadsTheNameRight)
{
    const Case cases[] = {
        {"会議資料_2024年度.txt", "SHIFT_JIS", true, ""},
        {"会議資料_2024年度.txt", "SHIFT_JIS", false, ""},
        {"Übersicht Bücher.txt", "CP437", true, ""},
        {"Café résumé.txt", "CP1252", true, ""},
        {"Café résumé.txt", "CP1252", false, ""},
        {"项目计划书.txt", "GBK", true, ""},
        {"项目计划书.txt", "GBK", false, ""},
        {"Отчёт за год.txt", "KOI8-R", false, ""},
        {"Отчёт за год.txt", "KOI8-R", true, ""},
        {"Отчёт за год.txt", "CP1251", false, ""},
        {"Отчёт за год.txt", "CP866", true, ""},
        {"Zażółć gęślą.txt", "CP1250", false, ""},
        // Short or ambiguous names are settled by the user's locale.
        {"Ελληνικά.txt", "CP1253", false, "el_GR"},
        {"한국어 문서.txt", "EUC-KR", false, "ko_KR"},
        {"Дом.txt", "CP1251", false, "ru_RU"},
        {"Дом.txt", "KOI8-R", false, "ru_RU"},
        {"テスト.txt", "SHIFT_JIS", false, "ja_JP"},
        {"テスト", "SHIFT_JIS", false, "ja_JP"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(preselectedReading(c), c.text) << c.codec << (c.fromZip ? " in a zip" : "") << " " << c.locale;
}

TEST(EncodingSelection, ListsEveryAvailableEncodingWhateverItPreselects)
{
    std::vector<Foundation::StringEncoding> available = Foundation::availableStringEncodings();
    available.pop_back(); // the list's end mark
    std::vector<Foundation::StringEncoding> listed;
    preselectedReading({"会議資料.txt", "SHIFT_JIS", true, ""}, &listed);
    EXPECT_EQ(listed, available);
}

} // namespace
