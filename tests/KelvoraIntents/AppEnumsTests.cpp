#include "Kelvora/Intents/AppEnums.h"
#include "Kelvora/Intents/AppIntentCustomError.h"
#include "Kelvora/Intents/GeneratedIntents.h"
#include "Kelvora/Intents/SecurityScopedAccess.h"

#include <gtest/gtest.h>

TEST(AppEnums, RawValuesAreCaseSensitiveCaseNames)
{
    struct Row {
        const char* raw;
        bool constructs;
    } rows[] = {{"zip", true}, {"tarZ", true}, {"sevenzip", true}, {"Zip", false},
                {"tarz", false}, {"7z", false}, {"", false}};
    for (const auto& row : rows)
        EXPECT_EQ(CreateArchivePresetAppEnum::fromRawValue(row.raw).has_value(), row.constructs) << row.raw;
    EXPECT_EQ(CreateArchivePresetAppEnum::fromRawValue("tarZ")->value(), CreateArchivePresetTraits::Case::tarZ);
}

TEST(AppEnums, CasesKeepDeclarationOrderAndEngineNumbers)
{
    auto presets = CreateArchivePresetAppEnum::allCases();
    const char* extensions[] = {".zip", ".7z", ".tar.gz", ".tar.bz2", ".tar.Z", ".tar.xz", ".iso", ".tar.zst"};
    for (size_t i = 0; i < presets.size(); ++i) {
        EXPECT_EQ(presets[i].engineValue(), static_cast<int64_t>(i));
        EXPECT_EQ(presets[i].displayRepresentation(), extensions[i]);
    }
    auto levels = CreateArchiveCompressionLevelAppEnum::allCases();
    EXPECT_EQ(levels.front().rawValue(), "default");
    EXPECT_EQ(levels.front().engineValue(), 0);
    EXPECT_EQ(levels.back().engineValue(), 5);
    auto methods = CreateArchiveEncrytionMethodAppEnum::allCases();
    ASSERT_EQ(methods.size(), 3u);
    EXPECT_EQ(methods[0].rawValue(), "zipCrypt");
    EXPECT_EQ(methods[0].engineValue(), 1);
    EXPECT_EQ(methods[2].engineValue(), 3);
    EXPECT_STREQ(CreateArchiveEncrytionMethodAppEnum::typeDisplayRepresentation(), "Archive Encrytion Method");
}

TEST(AppIntentCustomError, ReachesTheHostWithItsPositionAsCode)
{
    auto empty = makeError(AppIntentCustomError::emptyInput);
    auto unknown = makeError(AppIntentCustomError::unknown);
    EXPECT_EQ(empty->domain(), "Kelvora.AppIntentCustomError");
    EXPECT_EQ(empty->code(), 1);
    EXPECT_EQ(unknown->code(), 4);
}

TEST(GeneratedIntents, ResponsesStartAtCodeZeroAndFailuresCarryTheirText)
{
    CreateArchiveIntentResponse fresh;
    EXPECT_EQ(fresh.code(), IntentResponseCode::unspecified);
    auto activity = std::make_shared<Intents::UserActivity>();
    GetURLIntentResponse coded(IntentResponseCode::success, activity);
    EXPECT_EQ(coded.code(), IntentResponseCode::success);
    EXPECT_EQ(coded.userActivity(), activity);
    auto failure = UnarchiveIntentResponse::failureIntentResponseWithError("broken");
    EXPECT_EQ(static_cast<int64_t>(failure->code()), 5);
    EXPECT_EQ(failure->userActivity(), nullptr);
    EXPECT_EQ(failure->valueForKey("error").toString(), "broken");
    EXPECT_FALSE(IntentResponseCodeRange::fromRawValue(7));
    EXPECT_TRUE(CreateArchivePresetRange::fromRawValue(8));
    EXPECT_FALSE(CreateArchiveEncrytionMethodRange::fromRawValue(4));
    EXPECT_EQ(CreateArchivePresetResolutionResult::successWithResolvedCreateArchivePreset(CreateArchivePreset::iso).value, 7);
}
