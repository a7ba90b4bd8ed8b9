#include "Vantel/SharedSettings.h"

#include <limits>

namespace Vantel {

std::shared_ptr<Foundation::UserDefaults> shared()
{
    // Thread-safe first use by the language's static initialisation; never destroyed.
    static auto* defaults = new std::shared_ptr<Foundation::UserDefaults>([] {
        auto suite = Foundation::UserDefaults::suite(kSharedSuiteName);
        return suite ? suite : Foundation::UserDefaults::standard();
    }());
    return *defaults;
}

std::optional<uint64_t> parseEncodingNumber(const std::string& text)
{
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    uint64_t value = 0;
    constexpr uint64_t max = std::numeric_limits<uint64_t>::max();
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        const uint64_t digit = static_cast<uint64_t>(c - '0');
        if (value > (max - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    if (negative && value != 0)
        return std::nullopt;
    return value;
}

uint64_t SharedSettings::fallbackEncoding() const
{
    auto text = defaults_->stringForKey(kFallbackEncodingKey);
    if (!text || text->empty())
        return 0;
    return parseEncodingNumber(*text).value_or(0);
}

void SharedSettings::setFallbackEncoding(uint64_t encoding)
{
    defaults_->setValue(std::to_string(encoding), kFallbackEncodingKey);
}

Foundation::StringEncoding SharedSettings::fallbackEncodingDefaultUTF8() const
{
    const uint64_t encoding = fallbackEncoding();
    return encoding == 0 ? Foundation::Encoding::UTF8 : encoding;
}

bool SharedSettings::doNotDisplayedMultiVolumeAlert() const
{
    return defaults_->boolForKey(kDoNotDisplayMultiVolumeAlertKey);
}

void SharedSettings::setDoNotDisplayedMultiVolumeAlert(bool value)
{
    defaults_->setValue(QVariant(value), kDoNotDisplayMultiVolumeAlertKey);
}

bool SharedSettings::doNotAskForReorder() const
{
    return defaults_->boolForKey(kDoNotAskForReorderKey);
}

void SharedSettings::setDoNotAskForReorder(bool value)
{
    defaults_->setValue(QVariant(value), kDoNotAskForReorderKey);
}

} // namespace Vantel
