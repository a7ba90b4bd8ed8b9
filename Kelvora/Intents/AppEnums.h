#pragma once
// The parameter enumerations of "Make Archives": raw values equal the case
// names (case-sensitive), cases in declaration order, each with its display
// text and the engine number it stands for.

#include "Platform/Intents/Action.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

template <class Traits>
class AppEnum {
public:
    using Case = typename Traits::Case;

    constexpr AppEnum(Case c) : case_(c) {}

    // Nothing for any other text, the empty text included.
    static std::optional<AppEnum> fromRawValue(std::string_view raw)
    {
        for (size_t i = 0; i < Traits::entries.size(); ++i)
            if (raw == Traits::entries[i].rawValue)
                return AppEnum(static_cast<Case>(i));
        return std::nullopt;
    }

    static std::array<AppEnum, Traits::entries.size()> allCases()
    {
        std::array<AppEnum, Traits::entries.size()> all{};
        for (size_t i = 0; i < all.size(); ++i)
            all[i] = AppEnum(static_cast<Case>(i));
        return all;
    }

    static const char* typeDisplayRepresentation() { return Traits::typeDisplayText; }

    Case value() const { return case_; }
    std::string rawValue() const { return Traits::entries[index()].rawValue; }
    std::string displayRepresentation() const { return Traits::entries[index()].displayText; }
    int64_t engineValue() const { return Traits::entries[index()].engineValue; }

    // The cases as a parameter's offered values.
    static std::vector<Intents::OfferedValue> offeredValues()
    {
        std::vector<Intents::OfferedValue> out;
        for (const auto& e : Traits::entries)
            out.push_back({e.rawValue, e.displayText});
        return out;
    }

    bool operator==(const AppEnum&) const = default;

private:
    constexpr AppEnum() : case_(static_cast<Case>(0)) {}
    size_t index() const { return static_cast<size_t>(case_); }
    Case case_;
};

struct AppEnumEntry {
    const char* rawValue;
    const char* displayText;
    int64_t engineValue;
};

struct CreateArchivePresetTraits {
    enum class Case { zip, sevenzip, targz, tarbz2, tarZ, tarxz, iso, tarzst };
    static constexpr const char* typeDisplayText = "Archive Format";
    static constexpr std::array<AppEnumEntry, 8> entries{{
        {"zip", ".zip", 0},
        {"sevenzip", ".7z", 1},
        {"targz", ".tar.gz", 2},
        {"tarbz2", ".tar.bz2", 3},
        {"tarZ", ".tar.Z", 4},
        {"tarxz", ".tar.xz", 5},
        {"iso", ".iso", 6},
        {"tarzst", ".tar.zst", 7},
    }};
};

struct CreateArchiveCompressionLevelTraits {
    enum class Case { default_, lowest, low, medium, high, highest };
    static constexpr const char* typeDisplayText = "Archive Compression Level";
    static constexpr std::array<AppEnumEntry, 6> entries{{
        {"default", "Default", 0},
        {"lowest", "Lowest", 1},
        {"low", "Low", 2},
        {"medium", "Medium", 3},
        {"high", "High", 4},
        {"highest", "Highest", 5},
    }};
};

struct CreateArchiveEncrytionMethodTraits {
    enum class Case { zipCrypt, AES128, AES256 };
    static constexpr const char* typeDisplayText = "Archive Encrytion Method";
    static constexpr std::array<AppEnumEntry, 3> entries{{
        {"zipCrypt", "ZipCrypt", 1},
        {"AES128", "AES128", 2},
        {"AES256", "AES256", 3},
    }};
};

using CreateArchivePresetAppEnum = AppEnum<CreateArchivePresetTraits>;
using CreateArchiveCompressionLevelAppEnum = AppEnum<CreateArchiveCompressionLevelTraits>;
using CreateArchiveEncrytionMethodAppEnum = AppEnum<CreateArchiveEncrytionMethodTraits>;
