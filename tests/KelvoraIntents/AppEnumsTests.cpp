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
    EXPECT_EQ(fresh.code(), CreateArchiveIntentResponseCode::unspecified);
    auto activity = std::make_shared<Intents::UserActivity>();
    GetURLIntentResponse coded(GetURLIntentResponseCode::success, activity);
    EXPECT_EQ(coded.code(), GetURLIntentResponseCode::success);
    EXPECT_EQ(coded.userActivity(), activity);
    auto failure = UnarchiveIntentResponse::failureIntentResponseWithError("broken");
    EXPECT_EQ(static_cast<int64_t>(failure->code()), 5);
    EXPECT_EQ(failure->userActivity(), nullptr);
    EXPECT_EQ(failure->error(), "broken");
    EXPECT_EQ(CreateArchiveIntentResponse::failureIntentResponseWithError("full")->error(), "full");
    EXPECT_FALSE(GetFileFromURLIntentResponseCodeRange::fromRawValue(7));
    EXPECT_TRUE(CreateArchiveIntentResponseCodeRange::fromRawValue(6));
    EXPECT_FALSE(UnarchiveIntentResponseCodeRange::fromRawValue(-1));
    EXPECT_TRUE(CreateArchivePresetRange::fromRawValue(8));
    EXPECT_FALSE(CreateArchiveEncrytionMethodRange::fromRawValue(4));
    EXPECT_EQ(CreateArchivePresetResolutionResult::successWithResolvedCreateArchivePreset(CreateArchivePreset::iso).value, 7);
}

TEST(GeneratedIntents, TypedPropertiesLiveInTheIntentAndSurviveTheCoder)
{
    const Intents::INFile a{QUrl::fromLocalFile("/x/a.txt"), "a.txt"}, out{QUrl::fromLocalFile("/x/out"), "out"};
    CreateArchiveIntent intent;
    EXPECT_TRUE(intent.files().empty());
    EXPECT_FALSE(intent.archiveName());
    EXPECT_FALSE(intent.destination());
    intent.setFiles({a});
    intent.setArchiveName("report");
    intent.setFormat(CreateArchivePreset::tarxz);
    intent.setPassphrase("secret");
    intent.setEncryptFileNames(true);
    intent.setEncryptionMethod(CreateArchiveEncrytionMethod::AES256);
    intent.setIgnoreHiddenFiles(false);
    intent.setDestination(out);
    EXPECT_EQ(intent.valueForKey("archiveName").toString(), "report") << "stored by the intent object, by name";

    Intents::Coder coder;
    intent.encodeWithCoder(coder);
    CreateArchiveIntent decoded(coder);
    EXPECT_EQ(decoded.files(), std::vector<Intents::INFile>{a});
    EXPECT_EQ(decoded.archiveName(), "report");
    EXPECT_EQ(decoded.format(), CreateArchivePreset::tarxz);
    EXPECT_EQ(decoded.passphrase(), "secret");
    EXPECT_EQ(decoded.encryptFileNames(), true);
    EXPECT_EQ(decoded.encryptionMethod(), CreateArchiveEncrytionMethod::AES256);
    EXPECT_EQ(decoded.ignoreHiddenFiles(), false);
    EXPECT_EQ(decoded.destination(), out);

    UnarchiveIntent unarchive;
    unarchive.setFiles({a, out});
    unarchive.encodeWithCoder(coder);
    EXPECT_EQ(UnarchiveIntent(coder).files(), (std::vector<Intents::INFile>{a, out}));
    GetFileFromURLIntent fromURL;
    fromURL.setUrl(QUrl("https://example.org/a%20b.zip"));
    fromURL.encodeWithCoder(coder);
    EXPECT_EQ(GetFileFromURLIntent(coder).url(), QUrl("https://example.org/a%20b.zip"));

    UnarchiveIntentResponse response(UnarchiveIntentResponseCode::success, nullptr);
    response.setFiles({a});
    Intents::Coder responseCoder;
    response.encodeWithCoder(responseCoder);
    UnarchiveIntentResponse restored(responseCoder);
    EXPECT_EQ(restored.code(), UnarchiveIntentResponseCode::unspecified) << "the code is not read from the coder";
    EXPECT_EQ(restored.files(), std::vector<Intents::INFile>{a});
    GetURLIntentResponse urlResponse;
    urlResponse.setUrl(QUrl::fromLocalFile("/x/a.txt"));
    EXPECT_EQ(urlResponse.url(), QUrl::fromLocalFile("/x/a.txt"));
}
