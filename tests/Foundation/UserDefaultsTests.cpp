#include "Platform/Foundation/UserDefaults.h"

#include "tests/support/EventLoop.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QProcess>

#include <thread>
#include <vector>

using Foundation::UserDefaults;

namespace {

std::shared_ptr<UserDefaults> testSuite()
{
    auto suite = UserDefaults::suite("com.tarnu.Kelvora.Tests");
    EXPECT_TRUE(suite);
    return suite;
}

} // namespace

TEST(UserDefaults, SuitesAreOneFileEachAndRefusedNamesGiveNone)
{
    auto suite = testSuite();
    EXPECT_EQ(suite, UserDefaults::suite("com.tarnu.Kelvora.Tests"));
    EXPECT_EQ(suite->filePath(), qEnvironmentVariable("XDG_CONFIG_HOME").toStdString() + "/com.tarnu.Kelvora.Tests.conf");
    for (const char* refused : {"", "NSGlobalDomain", "a/b", "..", "."})
        EXPECT_FALSE(UserDefaults::suite(refused)) << refused;

    auto standard = UserDefaults::standard();
    EXPECT_EQ(standard, UserDefaults::standard());
    std::string name = QCoreApplication::applicationName().toStdString();
    EXPECT_EQ(standard->filePath(), qEnvironmentVariable("XDG_CONFIG_HOME").toStdString() + "/" + (name.empty() ? "kelvora" : name) + ".conf");
}

TEST(UserDefaults, TypedReads)
{
    auto d = testSuite();
    d->setValue(true, "bool");
    d->setValue(42, "int");
    d->setValue(2.5, "double");
    d->setValue("YES", "text");
    d->setValue("12abc", "numberText");

    EXPECT_EQ(d->stringForKey("int"), "42");
    EXPECT_EQ(d->stringForKey("double"), "2.5");
    EXPECT_EQ(d->stringForKey("text"), "YES");
    EXPECT_FALSE(d->stringForKey("missing"));
    EXPECT_TRUE(d->boolForKey("bool"));
    EXPECT_TRUE(d->boolForKey("int"));
    EXPECT_TRUE(d->boolForKey("text"));
    EXPECT_FALSE(d->boolForKey("missing"));
    EXPECT_EQ(d->integerForKey("int"), 42);
    EXPECT_EQ(d->integerForKey("double"), 2);
    EXPECT_EQ(d->integerForKey("numberText"), 12);
    EXPECT_EQ(d->integerForKey("bool"), 1);
    EXPECT_EQ(d->integerForKey("missing"), 0);

    d->removeObjectForKey("int");
    EXPECT_FALSE(d->objectForKey("int").isValid());
    d->setValue(QVariant(), "text");
    EXPECT_FALSE(d->objectForKey("text").isValid());
}

TEST(UserDefaults, RegisteredValuesShowOnlyForUnsetKeys)
{
    auto d = testSuite();
    d->setValue(false, "stored");
    d->registerDefaults({{"stored", true}, {"registered", true}});
    EXPECT_FALSE(d->boolForKey("stored"));
    EXPECT_TRUE(d->boolForKey("registered"));
    d->removeObjectForKey("stored");
    EXPECT_TRUE(d->boolForKey("stored"));
    // The registration domain is not written to the file.
    auto fresh = UserDefaults::suite("com.tarnu.Kelvora.Tests.Other");
    EXPECT_FALSE(fresh->objectForKey("registered").isValid());
}

TEST(UserDefaults, ConcurrentWritersAndReaders)
{
    auto d = testSuite();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([d, t] {
            for (int i = 0; i < 50; ++i) {
                d->setValue(i, "key" + std::to_string(t));
                EXPECT_EQ(d->integerForKey("key" + std::to_string(t)), i);
            }
        });
    for (auto& thread : threads)
        thread.join();
    for (int t = 0; t < 4; ++t)
        EXPECT_EQ(d->integerForKey("key" + std::to_string(t)), 49);
}

// Run only as the child of the test below.
TEST(UserDefaultsChild, DISABLED_WriteAsAnotherProcess)
{
    auto d = UserDefaults::suite("com.tarnu.Kelvora.Tests");
    d->setValue(true, "bool");
    d->setValue(QVariant::fromValue<qulonglong>(18446744073709551615ull), "big");
    d->setValue(-7, "negative");
    d->setValue("007", "text");
    d->setValue(QStringList{"a", "b"}, "list");
    d->removeObjectForKey("removed");
}

TEST(UserDefaults, AnotherProcessWritesKeepTheirTypes)
{
    auto d = testSuite();
    d->setValue("before", "removed");
    ASSERT_TRUE(d->objectForKey("removed").isValid());

    QProcess child;
    child.start(QString::fromStdString(TestSupport::selfExecutable()),
                {"--gtest_also_run_disabled_tests", "--gtest_filter=UserDefaultsChild.*"});
    ASSERT_TRUE(child.waitForFinished(60000));
    ASSERT_EQ(child.exitCode(), 0) << child.readAllStandardOutput().toStdString();

    EXPECT_EQ(d->objectForKey("bool").typeId(), QMetaType::Bool);
    EXPECT_TRUE(d->boolForKey("bool"));
    EXPECT_EQ(d->stringForKey("big"), "18446744073709551615");
    EXPECT_EQ(d->integerForKey("negative"), -7);
    EXPECT_EQ(d->objectForKey("text").typeId(), QMetaType::QString);
    EXPECT_EQ(d->stringForKey("text"), "007");
    EXPECT_EQ(d->objectForKey("list").toStringList(), (QStringList{"a", "b"}));
    EXPECT_FALSE(d->objectForKey("removed").isValid());
}
