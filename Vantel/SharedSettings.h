#pragma once
// The settings that the application and its action programs share, kept in
// the application group's defaults suite.
//
//   Vantel::SharedSettings settings;            // over Vantel::shared()
//   if (settings.doNotAskForReorder()) …
//   settings.setFallbackEncoding(Foundation::Encoding::ShiftJIS);
//   Foundation::StringEncoding e = settings.fallbackEncodingDefaultUTF8();
//
// Every read goes to the defaults object (nothing is cached here), so a value
// another process wrote is seen by the next read. Thread-safe.

#include "Platform/Foundation/StringEncoding.h"
#include "Platform/Foundation/UserDefaults.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace Vantel {

inline constexpr const char* kSharedSuiteName = "7QXK3LM2PA.com.tarnu.Kelvora";
inline constexpr const char* kFallbackEncodingKey = "ARCHIVER_FALLBACK_ENCODING";
inline constexpr const char* kDoNotDisplayMultiVolumeAlertKey = "ARCHIVER_DO_NOT_DISPLAY_MULTI_VOLUME_ALERT";
inline constexpr const char* kDoNotAskForReorderKey = "ARCHIVER_DO_NOT_ASK_FOR_REORDER";

// The defaults of the suite "7QXK3LM2PA.com.tarnu.Kelvora", made once on first
// use (safe from several threads); the standard defaults when the suite is
// refused. The same object for the life of the process.
std::shared_ptr<Foundation::UserDefaults> shared();

// The four typed settings, over any defaults object.
class SharedSettings {
public:
    explicit SharedSettings(std::shared_ptr<Foundation::UserDefaults> defaults = shared())
        : defaults_(std::move(defaults)) {}

    // The stored decimal text as a number; 0 (none chosen) when absent or unreadable.
    uint64_t fallbackEncoding() const;
    // Stored as its decimal text, never as a number.
    void setFallbackEncoding(uint64_t encoding);
    // fallbackEncoding, with 0 read as UTF-8.
    Foundation::StringEncoding fallbackEncodingDefaultUTF8() const;

    bool doNotDisplayedMultiVolumeAlert() const;
    void setDoNotDisplayedMultiVolumeAlert(bool value);
    bool doNotAskForReorder() const;
    void setDoNotAskForReorder(bool value);

private:
    std::shared_ptr<Foundation::UserDefaults> defaults_;
};

// The reading rule of the fallback encoding's text: optional sign, then only
// ASCII digits, fitting 64 unsigned bits; after "-" only zero. Absent otherwise.
std::optional<uint64_t> parseEncodingNumber(const std::string& text);

} // namespace Vantel
