#include "BrowserFixture.h"

#include "Kelvora/Strings.h"
#include "Kelvora/TaskManager.h"
#include "tests/support/EventLoop.h"
#include "tests/support/UiDriver.h"

#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>

class ExtractionTest : public BrowserTest {
protected:
    // Extracts everything listed into the folder through the panel.
    void extractAllInto(const std::string& destination)
    {
        browser->unarchiveCurrentSelection();
        ASSERT_TRUE(choosePanelPath(destination));
    }

    bool promptShown()
    {
        return TestSupport::waitUntil([&] {
            auto sheet = window->attachedSheet();
            return sheet && sheet->widget()->findChild<QLineEdit*>();
        });
    }
};

TEST_F(ExtractionTest, AESZipAsksOnceAndRemembersThePassphrase)
{
    const auto folder = scratch("aes");
    writeFile(folder + "/src/secret.txt", "the secret bytes\n");
    run(folder + "/src", {"7zz", "a", "-bd", "-tzip", "-mem=AES256", "-pcorrect horse", "../aes.zip", "secret.txt"});
    open({folder + "/aes.zip"});

    extractAllInto(scratch("aes-out1"));
    ASSERT_TRUE(promptShown());
    ASSERT_TRUE(TestSupport::typeIntoSheet(window, "correct horse"));
    ASSERT_TRUE(TestSupport::pressSheetButton(window, 0));
    waitForNoTasks();
    EXPECT_EQ(readFile(folder + "/../aes-out1/secret.txt"), "the secret bytes\n");
    EXPECT_EQ(browser->lastPassword, "correct horse");
    EXPECT_EQ(window->attachedSheet(), nullptr);

    // The remembered passphrase: no prompt.
    extractAllInto(scratch("aes-out2"));
    waitForNoTasks();
    EXPECT_EQ(window->attachedSheet(), nullptr);
    EXPECT_EQ(readFile(folder + "/../aes-out2/secret.txt"), "the secret bytes\n");

    // A wrong passphrase ends in the failure alert with the engine's text.
    browser->lastPassword = "wrong";
    extractAllInto(scratch("aes-out3"));
    // The engine asks again after each wrong answer; cancelling ends it.
    ASSERT_TRUE(promptShown());
    ASSERT_TRUE(TestSupport::typeIntoSheet(window, "still wrong"));
    ASSERT_TRUE(TestSupport::pressSheetButton(window, 0));
    ASSERT_TRUE(TestSupport::waitUntil([&] { return !window->attachedSheet(); }));
    ASSERT_TRUE(promptShown());
    ASSERT_TRUE(TestSupport::pressSheetButton(window, 1));
    waitForNoTasks();
    EXPECT_EQ(sheetMessage(), localizedString("ALERT_MESSAGE_UNARCHIVING_FAILED"));
    auto* info = window->attachedSheet()->widget()->findChild<QLabel*>(QStringLiteral("informativeText"));
    ASSERT_NE(info, nullptr);
    EXPECT_FALSE(info->text().isEmpty());
    TestSupport::pressSheetButton(window, 0);
}

TEST_F(ExtractionTest, RunningExtractionIsListedAndKeepsTheWindowOpen)
{
    const auto folder = scratch("running");
    std::string payload;
    for (int i = 0; i < 200000; ++i)
        payload += std::to_string(i * 7919 % 100003) + "\n";
    writeFile(folder + "/src/big.txt", payload);
    run(folder + "/src", {"zip", "-q", "../big.zip", "big.txt"});
    open({folder + "/big.zip"});
    ASSERT_FALSE(browser->isTaskPopoverShown());

    extractAllInto(scratch("running-out"));
    // The panel's handler registered the extraction; its completion needs
    // the main loop, which has not run since.
    ASSERT_EQ(browser->tasks.size(), 1u);
    EXPECT_FALSE(window->isClosable());
    window->performClose();
    EXPECT_TRUE(window->isVisible()) << "a window with a running task refuses to close";
    EXPECT_EQ(TaskManager::shared()->silentTasks(), browser->tasks);
    EXPECT_TRUE(browser->isTaskPopoverShown());
    EXPECT_EQ(browser->taskViewController()->numberOfRows(), 1);

    waitForNoTasks();
    EXPECT_TRUE(window->isClosable());
    EXPECT_FALSE(browser->isTaskPopoverShown());
    EXPECT_TRUE(TaskManager::shared()->silentTasks().empty());
    EXPECT_EQ(readFile(folder + "/../running-out/big.txt"), payload);
}

TEST_F(ExtractionTest, ConflictsAskPerFile)
{
    const auto folder = scratch("conflict");
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
        writeFile(folder + "/src/" + name, std::string("new ") + name);
    run(folder + "/src", {"zip", "-q", "../files.zip", "a.txt", "b.txt", "c.txt"});
    open({folder + "/files.zip"});

    struct Case {
        const char* name;
        int button;            // pressed at each conflict
        int expectedQuestions; // conflicts asked
        const char* a;         // a.txt afterwards
        const char* c;         // c.txt afterwards
        bool failureAlert;
    };
    const Case cases[] = {
        {"skip each", 0, 2, "old", "new c.txt", false},
        {"skip all", 1, 1, "old", "new c.txt", false},
        {"replace each", 2, 2, "new a.txt", "new c.txt", false},
        {"replace all", 3, 1, "new a.txt", "new c.txt", false},
        {"cancel", 4, 1, "old", "<missing>", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto destination = scratch(std::string("conflict-out-") + std::to_string(c.button));
        writeFile(destination + "/a.txt", "old");
        writeFile(destination + "/b.txt", "old");
        extractAllInto(destination);
        int asked = 0;
        while (!browser->tasks.empty()) {
            if (TestSupport::waitUntil([&] { return window->attachedSheet() || browser->tasks.empty(); })
                && window->attachedSheet()) {
                EXPECT_NE(sheetMessage().find("txt"), std::string::npos);
                ASSERT_TRUE(TestSupport::pressSheetButton(window, c.button));
                ++asked;
                TestSupport::waitUntil([&] { return !window->attachedSheet(); });
            }
        }
        TestSupport::drainEvents();
        EXPECT_EQ(asked, c.expectedQuestions);
        EXPECT_EQ(readFile(destination + "/a.txt"), c.a);
        EXPECT_EQ(readFile(destination + "/c.txt"), c.c);
        EXPECT_EQ(window->attachedSheet(), nullptr) << "no alert after the extraction";
    }
}
