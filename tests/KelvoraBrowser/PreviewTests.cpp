#include "BrowserFixture.h"

#include "Kelvora/TaskManager.h"
#include "Vantel/Archiver.h"
#include "Vantel/URLFolders.h"
#include "tests/support/EventLoop.h"
#include "tests/support/UiDriver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QSplitter>

class PreviewTest : public BrowserTest {
protected:
    void TearDown() override
    {
        // Nothing may stay parked on a pane that no longer asks.
        if (browser->previewContainerView->previewCheckbox()->state() == AppKit::ControlStateValueOn)
            browser->previewContainerView->previewCheckbox()->performClick();
        EXPECT_TRUE(TestSupport::waitUntil([&] { return !browser->previewSempahore; }));
        BrowserTest::TearDown();
    }

    void SetUp() override
    {
        BrowserTest::SetUp();
        // The pane opened beside the list, as a user drags it open.
        browser->splitView->setSizes({400, 400});
    }

    PreviewView& pane() { return *browser->previewContainerView; }

    void turnPreviewsOn()
    {
        ASSERT_EQ(pane().previewCheckbox()->state(), AppKit::ControlStateValueOff);
        pane().previewCheckbox()->performClick();
        ASSERT_EQ(pane().previewCheckbox()->state(), AppKit::ControlStateValueOn);
    }

    int rowOf(const std::string& name) const
    {
        for (size_t row = 0; row < browser->items.size(); ++row)
            if (browser->items[row]->name() == name)
                return static_cast<int>(row);
        ADD_FAILURE() << "no row " << name;
        return -1;
    }

    void select(const std::vector<std::string>& names)
    {
        AppKit::IndexSet rows;
        for (const auto& name : names)
            rows.insert(rowOf(name));
        browser->tableView->selectRowIndexes(rows, false);
    }

    ZODArchiveModelPtr entry(const std::string& name) const
    {
        const int row = rowOf(name);
        return row < 0 ? nullptr : browser->items[static_cast<size_t>(row)];
    }

    std::string shownText() { return pane().previewView()->displayedText(); }

    bool waitForText(const std::string& text)
    {
        return TestSupport::waitUntil([&] { return shownText() == text; });
    }

    bool isLoading()
    {
        return !pane().loadingIndicator()->isHidden() && pane().loadingIndicator()->isAnimating();
    }

    bool isEmpty()
    {
        return !pane().previewURL() && pane().previewView()->isHidden()
            && pane().previewView()->content() == QuickLook::QLPreviewView::Content::none
            && pane().loadingIndicator()->isHidden() && pane().passwordInputContainer()->isHidden()
            && pane().errorLabel()->isHidden();
    }

    bool waitForPassphraseRow()
    {
        return TestSupport::waitUntil([&] { return !pane().passwordInputContainer()->isHidden(); });
    }

    // Types into the pane's row and presses its button, as a user would: the
    // button reaches the pane through the focus.
    void enterPassphrase(const std::string& text)
    {
        ASSERT_TRUE(window->makeFirstResponder(pane().passwordTextField()));
        pane().passwordTextField()->setStringValue(text);
        auto* ok = pane().passwordInputContainer()->widget()->findChild<QPushButton*>();
        ASSERT_NE(ok, nullptr);
        ok->click();
    }

    std::string makeZip(const std::string& name, const std::vector<std::pair<std::string, std::string>>& files)
    {
        const auto folder = scratch(name);
        std::vector<std::string> command{"zip", "-qr", "../" + name + ".zip"};
        for (const auto& [path, contents] : files) {
            writeFile(folder + "/src/" + path, contents);
            command.push_back(path);
        }
        run(folder + "/src", command);
        return folder + "/" + name + ".zip";
    }

    std::string makeAESZip(const std::string& name)
    {
        const auto folder = scratch(name);
        writeFile(folder + "/src/one.txt", "first secret\n");
        writeFile(folder + "/src/two.txt", "second secret\n");
        run(folder + "/src",
            {"7zz", "a", "-bd", "-tzip", "-mem=AES256", "-pcorrect horse", "../" + name + ".zip", "one.txt", "two.txt"});
        return folder + "/" + name + ".zip";
    }
};

TEST_F(PreviewTest, SelectedTextFileIsExtractedQuietlyAndShownFromItsCacheAfterwards)
{
    open({makeZip("plain", {{"alpha.txt", "alpha text\n"}, {"bravo.txt", "bravo text\n"},
                              {"odd #1 100%.txt", "odd name\n"}, {"folder/inner.txt", "x"}})});
    EXPECT_TRUE(isEmpty());

    // Previews start off: selecting a file shows nothing.
    select({"alpha.txt"});
    EXPECT_TRUE(isEmpty());
    EXPECT_FALSE(browser->currentPreviewTask);

    // Turning them on previews the selected file, with the spinner meanwhile,
    // and registers no task anywhere.
    turnPreviewsOn();
    EXPECT_TRUE(isLoading());
    EXPECT_TRUE(browser->currentPreviewTask);
    EXPECT_TRUE(browser->tasks.empty());
    EXPECT_TRUE(TaskManager::shared()->silentTasks().empty());
    EXPECT_TRUE(window->isClosable());
    ASSERT_TRUE(waitForText("alpha text\n"));
    EXPECT_FALSE(browser->currentPreviewTask);
    EXPECT_FALSE(pane().previewView()->isHidden());
    EXPECT_TRUE(pane().loadingIndicator()->isHidden());

    // The file went to a job folder of its own in the temporary folder.
    const auto cached = Vantel::cachedURL(*entry("alpha.txt"));
    ASSERT_TRUE(cached);
    EXPECT_EQ(pane().previewURL(), cached);
    const QFileInfo file(cached->toLocalFile());
    EXPECT_EQ(file.fileName(), "alpha.txt");
    const auto temp = Vantel::temp(std::nullopt);
    ASSERT_TRUE(temp.isSuccess());
    EXPECT_EQ(QFileInfo(file.absolutePath()).absolutePath().toStdString(), temp.value().path());

    select({"bravo.txt"});
    ASSERT_TRUE(waitForText("bravo text\n"));

    // Back to the first: shown at once, without engine work.
    select({"alpha.txt"});
    EXPECT_FALSE(browser->currentPreviewTask);
    EXPECT_EQ(shownText(), "alpha text\n");

    // A cached file that is gone is extracted anew, into a new job folder.
    ASSERT_TRUE(QFile::remove(file.absoluteFilePath()));
    select({"bravo.txt"});
    select({"alpha.txt"});
    EXPECT_TRUE(isLoading());
    ASSERT_TRUE(waitForText("alpha text\n"));
    const auto again = Vantel::cachedURL(*entry("alpha.txt"));
    ASSERT_TRUE(again);
    EXPECT_NE(QFileInfo(again->toLocalFile()).absolutePath(), file.absolutePath());

    // Characters that mean something in a URL stay part of the name.
    select({"odd #1 100%.txt"});
    ASSERT_TRUE(waitForText("odd name\n"));

    // A folder, two rows or no row: nothing.
    for (const auto& names : std::vector<std::vector<std::string>>{{"folder"}, {"alpha.txt", "bravo.txt"}, {}}) {
        SCOPED_TRACE(names.size());
        select({"bravo.txt"});
        select(names);
        EXPECT_FALSE(browser->currentPreviewTask);
        EXPECT_TRUE(isEmpty());
    }

    // Turning previews off empties the pane.
    select({"bravo.txt"});
    ASSERT_TRUE(waitForText("bravo text\n"));
    pane().previewCheckbox()->performClick();
    EXPECT_TRUE(isEmpty());
}

TEST_F(PreviewTest, ChangingTheSelectionCancelsTheRunningPreview)
{
    open({makeZip("quick", {{"a.txt", "aaa"}, {"b.txt", "bbb"}, {"c.txt", "ccc"}, {"sub/d.txt", "ddd"}})});
    turnPreviewsOn();

    std::vector<ZODArchiverTaskPtr> superseded;
    for (const char* name : {"a.txt", "b.txt", "c.txt", "a.txt"}) {
        select({name});
        ASSERT_TRUE(browser->currentPreviewTask);
        superseded.push_back(browser->currentPreviewTask);
    }
    select({"b.txt"});
    const auto last = browser->currentPreviewTask;
    ASSERT_TRUE(last);
    for (const auto& task : superseded) {
        EXPECT_NE(task, last);
        EXPECT_TRUE(task->progress()->isCancelled());
    }
    ASSERT_TRUE(waitForText("bbb"));
    // The earlier completions, even successful ones, left nothing behind.
    TestSupport::drainEvents(std::chrono::milliseconds(300));
    EXPECT_EQ(shownText(), "bbb");
    EXPECT_FALSE(Vantel::cachedURL(*entry("a.txt")));
    EXPECT_FALSE(Vantel::cachedURL(*entry("c.txt")));

    // Showing another folder while a preview runs ends it as well: the file of
    // the folder left never lands in the pane.
    select({"c.txt"});
    const auto running = browser->currentPreviewTask;
    ASSERT_TRUE(running);
    enter("sub");
    EXPECT_TRUE(running->progress()->isCancelled());
    EXPECT_FALSE(browser->currentPreviewTask);
    TestSupport::drainEvents(std::chrono::milliseconds(300));
    EXPECT_TRUE(isEmpty());
}

TEST_F(PreviewTest, EncryptedEntryAsksInThePaneAndTheAnswerServesLaterExtractions)
{
    open({makeAESZip("aes")});
    ASSERT_FALSE(browser->lastPassword);
    turnPreviewsOn();
    select({"one.txt"});
    ASSERT_TRUE(waitForPassphraseRow());
    EXPECT_EQ(window->attachedSheet(), nullptr);
    EXPECT_TRUE(pane().loadingIndicator()->isHidden());
    EXPECT_TRUE(browser->previewSempahore);
    EXPECT_EQ(pane().passwordTextField()->placeholderString(), "Passphrase");

    // A wrong passphrase: the spinner, then the engine asks again.
    enterPassphrase("wrong");
    EXPECT_TRUE(isLoading());
    EXPECT_TRUE(pane().passwordInputContainer()->isHidden());
    EXPECT_EQ(browser->lastPassword, "wrong");
    ASSERT_TRUE(waitForPassphraseRow());
    EXPECT_EQ(pane().passwordTextField()->stringValue(), "");

    enterPassphrase("correct horse");
    ASSERT_TRUE(waitForText("first secret\n"));
    EXPECT_EQ(browser->lastPassword, "correct horse");
    EXPECT_FALSE(browser->previewSempahore);
    EXPECT_EQ(window->attachedSheet(), nullptr);

    // The other entry, and a later extraction, use it without asking.
    select({"two.txt"});
    ASSERT_TRUE(waitForText("second secret\n"));
    const auto destination = scratch("aes-out");
    QDir(QString::fromStdString(destination)).removeRecursively();
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(destination)));
    browser->unarchiveCurrentSelection();
    ASSERT_TRUE(choosePanelPath(destination));
    waitForNoTasks();
    EXPECT_EQ(window->attachedSheet(), nullptr);
    EXPECT_EQ(readFile(destination + "/two.txt"), "second secret\n");
}

TEST_F(PreviewTest, AQuestionEndedByTheUserReleasesTheEngine)
{
    open({makeAESZip("release")});
    turnPreviewsOn();

    // Moving to another encrypted entry while asked: the first question
    // ends, the second one asks, and its answer shows the second entry.
    select({"one.txt"});
    ASSERT_TRUE(waitForPassphraseRow());
    const auto first = browser->previewSempahore;
    select({"two.txt"});
    ASSERT_TRUE(TestSupport::waitUntil(
        [&] { return browser->previewSempahore && browser->previewSempahore != first; }));
    ASSERT_TRUE(waitForPassphraseRow());
    enterPassphrase("correct horse");
    ASSERT_TRUE(waitForText("second secret\n"));

    // Turning previews off while asked: the question is released with the
    // remembered passphrase (none), the task is cancelled, the pane empties.
    browser->lastPassword.reset();
    select({"one.txt"});
    ASSERT_TRUE(waitForPassphraseRow());
    const auto task = browser->currentPreviewTask;
    ASSERT_TRUE(task);
    pane().previewCheckbox()->performClick();
    EXPECT_TRUE(task->progress()->isCancelled());
    EXPECT_TRUE(isEmpty());
    EXPECT_TRUE(TestSupport::waitUntil([&] { return !browser->previewSempahore; }));
    TestSupport::drainEvents(std::chrono::milliseconds(300));
    EXPECT_TRUE(isEmpty());
    EXPECT_FALSE(browser->lastPassword);

    // Showing a folder (the root again) while asked releases the question too.
    pane().previewCheckbox()->performClick();
    ASSERT_TRUE(waitForPassphraseRow());
    browser->showDirectory(browser->rootDirectory);
    EXPECT_TRUE(TestSupport::waitUntil([&] { return !browser->previewSempahore; }));
    EXPECT_TRUE(isEmpty());
}

TEST_F(PreviewTest, FailuresShowTheEngineTextInThePane)
{
    struct Case {
        const char* name;
        std::string archive;
        bool removeArchive;    // after opening it: volumes are not checked
        bool answerEmptyPhrase; // the pane's row, answered with nothing
    };
    const Case cases[] = {
        {"no passphrase given", makeAESZip("declined"), false, true},
        {"archive gone", makeZip("gone", {{"one.txt", "x"}, {"two.txt", "y"}}), true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        open({c.archive});
        if (c.removeArchive) {
            ASSERT_TRUE(QFile::remove(QString::fromStdString(c.archive)));
        }
        turnPreviewsOn();
        select({"one.txt"});
        if (c.answerEmptyPhrase) {
            ASSERT_TRUE(waitForPassphraseRow());
            enterPassphrase("");
        }
        ASSERT_TRUE(TestSupport::waitUntil([&] { return !pane().errorLabel()->isHidden(); }));
        ASSERT_TRUE(pane().errorString());
        EXPECT_FALSE(pane().errorString()->empty());
        EXPECT_EQ(pane().errorLabel()->stringValue(), *pane().errorString());
        EXPECT_FALSE(browser->currentPreviewTask);
        EXPECT_TRUE(pane().loadingIndicator()->isHidden());
        EXPECT_TRUE(pane().passwordInputContainer()->isHidden());
        // Never an alert, and never a task of the browser.
        EXPECT_EQ(window->attachedSheet(), nullptr);
        EXPECT_TRUE(browser->tasks.empty());
        // Centred, at most 200 wide, 4 inside a narrow pane.
        for (int width : {600, 150}) {
            pane().widget()->resize(width, 400);
            const QRect frame = pane().errorLabel()->frame();
            EXPECT_EQ(frame.width(), std::min(200, width - 8)) << width;
            EXPECT_EQ(frame.center().x(), pane().widget()->rect().center().x()) << width;
        }
        // The next selection clears it.
        select({"two.txt"});
        EXPECT_TRUE(pane().errorLabel()->isHidden());
        pane().previewCheckbox()->performClick();
        browser->lastPassword.reset();
    }
}
