#include "Vantel/SharedSettings.h"

#include "tests/support/EventLoop.h"

#include <gtest/gtest.h>

#include <QProcess>

#include <cstdlib>
#include <limits>
#include <thread>
#include <vector>

using Foundation::UserDefaults;
using Vantel::SharedSettings;

namespace {

struct StoredText {
    std::string text;
    uint64_t reads;
};

void PrintTo(const StoredText& c, std::ostream* os)
{
    *os << ::testing::PrintToString(c.text);
}

class FallbackEncodingText : public ::testing::TestWithParam<StoredText> {};

TEST_P(FallbackEncodingText, ReadsAsTheRuleSays)
{
    auto defaults = Vantel::shared();
    defaults->setValue(GetParam().text, Vantel::kFallbackEncodingKey);
    SharedSettings settings(defaults);
    EXPECT_EQ(settings.fallbackEncoding(), GetParam().reads) << "stored \"" << GetParam().text << "\"";
    const uint64_t expected = GetParam().reads == 0 ? Foundation::Encoding::UTF8 : GetParam().reads;
    EXPECT_EQ(settings.fallbackEncodingDefaultUTF8(), expected);
}

INSTANTIATE_TEST_SUITE_P(Table, FallbackEncodingText, ::testing::Values(
    StoredText{"4", 4}, StoredText{"+4", 4}, StoredText{"0004", 4}, StoredText{"-0", 0},
    StoredText{"-4", 0}, StoredText{" 4", 0}, StoredText{"4a", 0}, StoredText{"", 0},
    StoredText{"+", 0}, StoredText{"0x10", 0}, StoredText{"4 ", 0}, StoredText{"٤", 0},
    StoredText{"18446744073709551615", std::numeric_limits<uint64_t>::max()},
    StoredText{"18446744073709551616", 0}, StoredText{"99999999999999999999", 0}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(SharedSettings, AbsentValuesReadAsDefaults)
{
    SharedSettings settings(Vantel::shared());
    EXPECT_EQ(settings.fallbackEncoding(), 0u);
    EXPECT_EQ(settings.fallbackEncodingDefaultUTF8(), Foundation::Encoding::UTF8);
    EXPECT_FALSE(settings.doNotAskForReorder());
    EXPECT_FALSE(settings.doNotDisplayedMultiVolumeAlert());
}

TEST(SharedSettings, SharedIsTheSuiteAndOneObjectAcrossThreads)
{
    std::vector<UserDefaults*> seen(8);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back([&seen, i] { seen[i] = Vantel::shared().get(); });
    for (auto& t : threads)
        t.join();
    for (auto* d : seen)
        EXPECT_EQ(d, seen.front());
    EXPECT_EQ(seen.front(), Foundation::UserDefaults::suite(Vantel::kSharedSuiteName).get());
    EXPECT_NE(seen.front()->filePath().find("7QXK3LM2PA.com.tarnu.Kelvora"), std::string::npos);
}

TEST(SharedSettings, WritingStoresDecimalTextAndReadsBack)
{
    auto defaults = Vantel::shared();
    SharedSettings settings(defaults);
    for (uint64_t value : {uint64_t{0}, uint64_t{8}, Foundation::Encoding::DOSJapanese, uint64_t{1} << 40,
                           std::numeric_limits<uint64_t>::max()}) {
        settings.setFallbackEncoding(value);
        QVariant stored = defaults->objectForKey(Vantel::kFallbackEncodingKey);
        EXPECT_EQ(stored.typeId(), QMetaType::QString);
        EXPECT_EQ(stored.toString().toStdString(), std::to_string(value));
        EXPECT_EQ(settings.fallbackEncoding(), value);
    }
    EXPECT_EQ(settings.fallbackEncodingDefaultUTF8(), std::numeric_limits<uint64_t>::max());
}

TEST(SharedSettings, StoredNumberReadsThroughItsDecimalText)
{
    auto defaults = Vantel::shared();
    defaults->setValue(QVariant::fromValue<qulonglong>(12), Vantel::kFallbackEncodingKey);
    EXPECT_EQ(SharedSettings(defaults).fallbackEncoding(), 12u);
}

TEST(SharedSettings, BooleansAreStoredAsBooleansAndRegisteredValuesShow)
{
    auto defaults = Vantel::shared();
    SharedSettings settings(defaults);
    defaults->registerDefaults({{Vantel::kDoNotAskForReorderKey, true}});
    EXPECT_TRUE(settings.doNotAskForReorder());
    settings.setDoNotAskForReorder(false);
    EXPECT_FALSE(settings.doNotAskForReorder());
    settings.setDoNotDisplayedMultiVolumeAlert(true);
    EXPECT_TRUE(settings.doNotDisplayedMultiVolumeAlert());
    EXPECT_EQ(defaults->objectForKey(Vantel::kDoNotDisplayMultiVolumeAlertKey).typeId(), QMetaType::Bool);
    EXPECT_EQ(defaults->objectForKey(Vantel::kDoNotAskForReorderKey).typeId(), QMetaType::Bool);
}

// Run only as the child of the test below: plays the preferences pane of
// another process.
TEST(SharedSettingsChild, DISABLED_WriteAsAnotherProcess)
{
    SharedSettings settings(Vantel::shared());
    settings.setFallbackEncoding(std::strtoull(std::getenv("KELVORA_CHILD_ENCODING"), nullptr, 10));
    settings.setDoNotAskForReorder(true);
}

TEST(SharedSettings, ValueWrittenByAnotherProcessIsSeenByTheNextRead)
{
    SharedSettings settings(Vantel::shared());
    settings.setFallbackEncoding(4);
    ASSERT_EQ(settings.fallbackEncoding(), 4u);
    ASSERT_FALSE(settings.doNotAskForReorder());

    for (uint64_t value : {Foundation::Encoding::ShiftJIS, Foundation::Encoding::GB18030}) {
        QProcess child;
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert("KELVORA_CHILD_ENCODING", QString::number(value));
        child.setProcessEnvironment(env);
        child.start(QString::fromStdString(TestSupport::selfExecutable()),
                    {"--gtest_also_run_disabled_tests", "--gtest_filter=SharedSettingsChild.*"});
        ASSERT_TRUE(child.waitForFinished(60000));
        ASSERT_EQ(child.exitCode(), 0) << child.readAllStandardOutput().toStdString();

        EXPECT_EQ(settings.fallbackEncoding(), value);
        EXPECT_TRUE(settings.doNotAskForReorder());
    }
}

} // namespace
