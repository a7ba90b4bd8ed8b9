#include "Kelvora/Intents/ActionCatalog.h"
#include "Kelvora/Intents/CreateArchive.h"
#include "Platform/Intents/ActionsHost.h"

#include <gtest/gtest.h>

using namespace Intents;

namespace {

const ActionDefinition& action(const std::string& title)
{
    for (const auto& a : applicationActions())
        if (a.title == title)
            return a;
    throw std::runtime_error("no action " + title);
}

ParameterValues parse(const ActionDefinition& a, std::vector<std::string> words)
{
    ParameterValues values;
    EXPECT_EQ(parseParameterValues(a, words, values), "");
    return values;
}

} // namespace

TEST(ActionCatalog, OffersTheFourActionsWithTheirMigratedIntents)
{
    std::vector<std::pair<std::string, std::string>> expected = {
        {"Make Archives", "CreateArchiveIntent"},
        {"Extract Archive", "UnarchiveIntent"},
        {"Get URL to File", "GetURLIntent"},
        {"Get File from URL", "GetFileFromURLIntent"}};
    ASSERT_EQ(applicationActions().size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(applicationActions()[i].title, expected[i].first);
        EXPECT_EQ(applicationActions()[i].intentClassName, expected[i].second);
    }
    const auto& make = action("Make Archives");
    std::vector<std::string> names;
    for (const auto& p : make.parameters)
        names.push_back(p.name);
    EXPECT_EQ(names, (std::vector<std::string>{"files", "archiveName", "format", "passphrase", "encryptFileNames",
                                               "encryptionMethod", "compressionLevel", "ignoreHiddenFiles",
                                               "destination"}));
    EXPECT_EQ(make.parameter("format")->defaultValue, "zip");
    EXPECT_EQ(make.parameter("format")->offeredValues.size(), 8u);
}

TEST(MakeArchivesSummary, FurtherParametersFollowFormatAndDestination)
{
    const auto& make = action("Make Archives");
    struct Row {
        std::vector<std::string> words;
        std::string text;
        std::vector<std::string> further;
    } rows[] = {
        {{"--files", "/x/a.txt", "--format", "sevenzip"},
         "Create a .7z archive from a.txt",
         {"archiveName", "compressionLevel", "passphrase", "encryptFileNames", "destination", "ignoreHiddenFiles"}},
        {{"--files", "/x/a.txt", "--format", "zip"},
         "Create a .zip archive from a.txt",
         {"archiveName", "compressionLevel", "passphrase", "encryptionMethod", "destination", "ignoreHiddenFiles"}},
        {{"--files", "/x/a.txt", "--files", "/x/b.txt", "--files", "/x/c.txt", "--format", "iso"},
         "Create a .iso archive from a.txt, b.txt and c.txt",
         {"archiveName", "destination", "ignoreHiddenFiles"}},
        {{"--files", "/x/a.txt", "--format", "tarxz"},
         "Create a .tar.xz archive from a.txt",
         {"archiveName", "compressionLevel", "destination", "ignoreHiddenFiles"}},
        {{"--files", "/x/a.txt", "--format", "zip", "--destination", "/out"},
         "Create a .zip archive from a.txt at out",
         {"archiveName", "encryptionMethod", "ignoreHiddenFiles"}},
        {{"--files", "/x/a.txt", "--format", "tarZ", "--destination", "/out"},
         "Create a .tar.Z archive from a.txt at out",
         {"archiveName", "ignoreHiddenFiles"}},
    };
    for (const auto& row : rows) {
        ParameterValues values = parse(make, row.words);
        ParameterSummary summary = make.summary(values);
        EXPECT_EQ(fillSummaryTemplate(summary.text, values, make), row.text);
        EXPECT_EQ(summary.furtherParameters, row.further) << row.text;
        EXPECT_EQ(make.predictions.at(0).title(values), row.text);
    }
}

TEST(ParameterParsing, RefusesWhatTheActionDoesNotOffer)
{
    const auto& make = action("Make Archives");
    std::vector<std::vector<std::string>> refused = {
        {"--files", "/a", "--format", "rar"},
        {"--files", "/a", "--colour", "red"},
        {"--format", "zip"},
        {"--files", "/a", "--ignoreHiddenFiles", "maybe"},
        {"--files"},
    };
    for (const auto& words : refused) {
        ParameterValues values;
        EXPECT_NE(parseParameterValues(make, words, values), "") << words.front() << " " << words.back();
    }
}

TEST(FileAndURLActions, PassLocationsThroughUnchanged)
{
    const auto& getURL = action("Get URL to File");
    auto url = getURL.perform(parse(getURL, {"--file", "/no/such/file"}), nullptr);
    ASSERT_TRUE(url.isSuccess());
    EXPECT_EQ(std::get<QUrl>(url.value()), QUrl::fromLocalFile("/no/such/file"));

    ParameterValues dataOnly{{"file", IntentFile{std::nullopt, std::string("data.bin"), std::nullopt}}};
    auto refused = getURL.perform(dataOnly, nullptr);
    ASSERT_TRUE(refused.isFailure());
    EXPECT_EQ(refused.error()->code(), 2);

    const auto& getFile = action("Get File from URL");
    auto values = parse(getFile, {"--url", "https://example.org/a.zip"});
    EXPECT_EQ(getFile.predictions.at(0).title(values), "Get file from https://example.org/a.zip");
    auto file = getFile.perform(values, nullptr);
    ASSERT_TRUE(file.isSuccess());
    EXPECT_EQ(std::get<IntentFile>(file.value()).fileURL, QUrl("https://example.org/a.zip"));
    EXPECT_FALSE(std::get<IntentFile>(file.value()).filename);
}
