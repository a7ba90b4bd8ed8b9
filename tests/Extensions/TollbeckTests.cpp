#include "Platform/AppKit/Workspace.h"
#include "Platform/Foundation/LocalizedString.h"
#include "Tiberly/ArchiveSettingViewController.h"
#include "Tollbeck/ActionViewController.h"
#include "tests/Extensions/ExtensionTestSupport.h"
#include "tests/support/EventLoop.h"
#include "tests/support/UiDriver.h"

#include <gtest/gtest.h>

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QTest>

#include <filesystem>

namespace {

using namespace ExtensionTests;
namespace fs = std::filesystem;

class CountingController : public Tollbeck::ActionViewController {
public:
    void finishRequest(const Extension::ExtensionContextPtr& context) override
    {
        ++finishes;
        Tollbeck::ActionViewController::finishRequest(context);
    }
    int finishes = 0;
};

using TollbeckRequest = Request<CountingController>;

std::string messageOf(const AppKit::WindowPtr& sheet)
{
    auto* label = sheet->widget()->findChild<QLabel*>(QStringLiteral("messageText"));
    return label ? label->text().toStdString() : std::string();
}

// The save panel shown on the window, for its proposals.
QFileDialog* savePanel(const AppKit::WindowPtr& window)
{
    QFileDialog* found = nullptr;
    TestSupport::waitUntil([&] {
        for (QFileDialog* dialog : window->widget()->findChildren<QFileDialog*>())
            if (dialog->isVisible())
                found = dialog;
        return found != nullptr;
    });
    return found;
}

std::vector<fs::path> filesNamed(const std::string& name)
{
    std::vector<fs::path> found;
    const std::string temp = fs::path(runFolder("x")).parent_path().string();
    for (const auto& entry : fs::recursive_directory_iterator(temp))
        if (entry.path().filename() == name)
            found.push_back(entry.path());
    return found;
}

// The user's settings as the application's settings view stores them.
void storeSettings(int preset, bool reveal = false, bool deleteOriginals = false)
{
    auto settings = std::make_shared<Tiberly::ArchiveSettingViewController>();
    settings->formatPopUp()->performSelectItemAtIndex(preset);
    if ((settings->revealCheckbox()->state() == AppKit::ControlStateValueOn) != reveal)
        settings->revealCheckbox()->performClick();
    if ((settings->deleteOriginalsCheckbox()->state() == AppKit::ControlStateValueOn) != deleteOriginals)
        settings->deleteOriginalsCheckbox()->performClick();
}

TEST(Tollbeck, BaseNameFollowsASingleItemElseTheDefault)
{
    const std::string dir = makeFolder("names");
    fs::create_directories(dir + "/Photos.2024");
    const std::string fallback = Foundation::localizedString("ARCHIVE_DEFAULT_FILE_NAME");
    struct Case {
        std::vector<std::string> items;
        std::string expected;
    };
    for (const Case& c : {Case{{dir + "/Report.final.pdf"}, "Report.final"}, Case{{dir + "/a.tar.gz"}, "a.tar"},
                          Case{{dir + "/Photos.2024"}, "Photos.2024"}, Case{{dir + "/a", dir + "/b"}, fallback},
                          Case{{}, fallback}})
        EXPECT_EQ(CountingController::baseName(c.items), c.expected);
}

// Replaces what the field holds with the text, keystroke by keystroke.
void type(AppKit::TextField& field, const char* text)
{
    QTest::keyClick(field.widget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field.widget(), Qt::Key_Backspace);
    QTest::keyClicks(field.widget(), QString::fromUtf8(text));
}

TEST(Tollbeck, SettingsFormShowsEveryLabelInFull)
{
    const std::string file = writeFile(makeFolder("labels") + "/x.txt", "x");
    TollbeckRequest request({file});
    request.start();
    auto form = request.controller->settingsVC()->view()->widget();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return form->isVisible(); }));
    TestSupport::drainEvents();
    for (const char* text : {"Format:", "Compression level:", "Passphrase:", "Confirm:", "Encryption:"}) {
        SCOPED_TRACE(text);
        QLabel* label = nullptr;
        for (auto* candidate : form->findChildren<QLabel*>())
            if (candidate->text() == QString::fromUtf8(text))
                label = candidate;
        ASSERT_TRUE(label);
        EXPECT_TRUE(label->isVisible());
        EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()));
    }
    request.controller->cancelButton()->performClick();
    ASSERT_TRUE(request.waitForEnd());
}

TEST(Tollbeck, OKIsRefusedWhileTheSettingsCannotBeHonoured)
{
    struct Case {
        const char* name;
        int preset;
        const char* passphrase;
        const char* confirmation;
        const char* reasonNames; // what the reason has to name
    };
    const Case cases[] = {
        {"passphrases differ", ZODArchiverPreset7z, "one", "two", "confirmation"},
        {"format cannot encrypt", ZODArchiverPresetTarGz, "one", "one", ".tar.gz"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = writeFile(makeFolder("refused") + "/secret.txt", "secret");
        TollbeckRequest request({file});
        request.start();
        auto settings = request.controller->settingsVC();
        settings->formatPopUp()->performSelectItemAtIndex(c.preset);
        type(*settings->passphraseField(), c.passphrase);
        type(*settings->confirmationField(), c.confirmation);
        QTest::mouseClick(request.controller->okButton()->widget(), Qt::LeftButton);

        auto sheet = TestSupport::waitForSheet(request.window());
        ASSERT_TRUE(sheet);
        EXPECT_EQ(messageOf(sheet), Foundation::localizedString("ALERT_MESSAGE_ARCHIVING_FAILED"));
        auto* informative = sheet->widget()->findChild<QLabel*>(QStringLiteral("informativeText"));
        ASSERT_TRUE(informative);
        EXPECT_TRUE(informative->text().contains(QString::fromUtf8(c.reasonNames))) << informative->text().toStdString();
        ASSERT_TRUE(TestSupport::pressSheetButton(request.window(), 0));
        TestSupport::drainEvents();
        // Nothing started: the form stays editable with its buttons, no copy was made.
        EXPECT_TRUE(request.exitCodes.empty());
        EXPECT_FALSE(request.controller->okButton()->isHidden());
        EXPECT_TRUE(settings->isEditable());
        EXPECT_TRUE(request.controller->currentLoadedAttachments().empty());
        EXPECT_FALSE(request.controller->currentTask());
        EXPECT_TRUE(request.controller->urlsToLoad().empty());

        type(*settings->passphraseField(), "");
        type(*settings->confirmationField(), "");
        settings->formatPopUp()->performSelectItemAtIndex(ZODArchiverPresetZip);
        request.controller->cancelButton()->performClick();
        ASSERT_TRUE(request.waitForEnd());
    }
}

TEST(Tollbeck, MakesOneArchiveOfTwoFilesWithTheStoredSettingsAndSavesIt)
{
    storeSettings(ZODArchiverPreset7z);
    const std::string folder = makeFolder("two");
    const std::string report = writeFile(folder + "/report.txt", "quarterly numbers");
    const std::string notes = writeFile(folder + "/notes.txt", "meeting notes");
    const std::string destination = writeFile(makeFolder("saved") + "/Both.7z", "an older file");
    TollbeckRequest request({report, notes});
    request.start();
    ASSERT_FALSE(request.controller->okButton()->isHidden());
    EXPECT_TRUE(request.controller->progressVC()->view()->isHidden());
    request.controller->okButton()->performClick();
    EXPECT_TRUE(request.controller->okButton()->isHidden());
    EXPECT_TRUE(request.controller->cancelButton()->isHidden());
    EXPECT_FALSE(request.controller->settingsVC()->isEditable());

    auto* panel = savePanel(request.window());
    ASSERT_TRUE(panel);
    EXPECT_EQ(panel->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text().toStdString(),
              Foundation::localizedString("ARCHIVE_DEFAULT_FILE_NAME") + ".7z");
    EXPECT_EQ(panel->directory().absolutePath().toStdString(), folder);
    ASSERT_TRUE(TestSupport::acceptSavePanel(request.window(), destination));
    ASSERT_TRUE(TestSupport::answerReplaceQuestion(request.window(), true));
    ASSERT_TRUE(request.waitForEnd());

    EXPECT_TRUE(run("7zz t " + quoted(destination)));
    const std::string listing = output("7zz l -slt " + quoted(destination));
    EXPECT_NE(listing.find("Type = 7z"), std::string::npos);
    EXPECT_NE(listing.find("Path = report.txt"), std::string::npos);
    EXPECT_NE(listing.find("Path = notes.txt"), std::string::npos);
    const std::string check = makeFolder("check");
    ASSERT_TRUE(run("7zz x -o" + quoted(check) + " " + quoted(destination)));
    EXPECT_EQ(readFile(check + "/report.txt"), "quarterly numbers");
    EXPECT_EQ(request.controller->finishes, 1);
    EXPECT_EQ(request.exitCodes, std::vector<int>{0});
    for (const auto& copy : request.controller->urlsToLoad())
        EXPECT_FALSE(fs::exists(copy.path()));
    EXPECT_TRUE(fs::exists(report) && fs::exists(notes));
}

TEST(Tollbeck, CancelBeforeOKEndsTheRequestWithoutCopying)
{
    const std::string file = writeFile(makeFolder("early") + "/x.txt", "x");
    TollbeckRequest request({file});
    request.start();
    request.controller->cancelButton()->performClick();
    ASSERT_TRUE(request.waitForEnd());
    EXPECT_EQ(request.controller->finishes, 1);
    EXPECT_TRUE(request.controller->currentLoadedAttachments().empty());
    EXPECT_FALSE(request.controller->currentTask());
}

TEST(Tollbeck, CancellingTheSavePanelCompletesAndLeavesTheArchiveInItsJobFolder)
{
    storeSettings(ZODArchiverPresetZip);
    const std::string file = writeFile(makeFolder("unsaved") + "/Report.final.pdf", "%PDF-1.4");
    TollbeckRequest request({file});
    request.start();
    request.controller->okButton()->performClick();
    auto* panel = savePanel(request.window());
    ASSERT_TRUE(panel);
    EXPECT_EQ(panel->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text().toStdString(), "Report.final.zip");
    ASSERT_TRUE(TestSupport::cancelPanel(request.window()));
    ASSERT_TRUE(request.waitForEnd());
    EXPECT_EQ(request.controller->finishes, 1);
    const auto left = filesNamed("Report.final.zip");
    ASSERT_EQ(left.size(), 1u);
    EXPECT_TRUE(run("unzip -tq " + quoted(left.front().string())));
    EXPECT_TRUE(filesNamed("Report.final.pdf").empty());
}

TEST(Tollbeck, AFailedCompressionShowsItsAlertAndStillCompletes)
{
    // The only item is gone before it is loaded: nothing to archive.
    const std::string gone = makeFolder("gone") + "/vanished.txt";
    TollbeckRequest request({gone});
    request.start();
    request.controller->okButton()->performClick();
    auto sheet = TestSupport::waitForSheet(request.window());
    ASSERT_TRUE(sheet);
    EXPECT_EQ(messageOf(sheet), Foundation::localizedString("ALERT_MESSAGE_ARCHIVING_FAILED"));
    TestSupport::drainEvents();
    EXPECT_TRUE(request.exitCodes.empty());
    ASSERT_TRUE(TestSupport::pressSheetButton(request.window(), 0));
    ASSERT_TRUE(request.waitForEnd());
    EXPECT_EQ(request.controller->finishes, 1);
    EXPECT_TRUE(request.controller->urlsToLoad().empty());
}

TEST(Tollbeck, RevealsThenDeletesTheOriginalsOnlyWhenConfirmed)
{
    std::vector<std::vector<std::string>> shown;
    AppKit::Workspace::shared().setLauncher(
        {[](const std::string&) { return true; }, [&](const std::vector<std::string>& urls) {
             shown.push_back(urls);
             return true;
         }});
    storeSettings(ZODArchiverPresetZip, true, true);
    for (int button : {1, 0}) {
        const std::string folder = makeFolder("originals" + std::to_string(button));
        const std::string photos = makeFolder("originals" + std::to_string(button) + "/Photos");
        writeFile(photos + "/beach.jpg", "sand");
        const std::string notes = writeFile(folder + "/notes.txt", "notes");
        // Saved inside one of the originals.
        const std::string destination = photos + "/Holiday.zip";
        shown.clear();
        TollbeckRequest request({photos, notes});
        request.start();
        request.controller->okButton()->performClick();
        ASSERT_TRUE(TestSupport::acceptSavePanel(request.window(), destination));
        auto sheet = TestSupport::waitForSheet(request.window());
        ASSERT_TRUE(sheet);
        EXPECT_EQ(messageOf(sheet), Foundation::localizedString("ALERT_MESSAGE_CONFIRM_DELETE_ORIGINAL_FILES"));
        ASSERT_EQ(shown.size(), 1u);
        ASSERT_TRUE(TestSupport::pressSheetButton(request.window(), button));
        ASSERT_TRUE(request.waitForEnd());
        EXPECT_EQ(request.controller->finishes, 1);
        EXPECT_TRUE(run("unzip -tq " + quoted(destination)));
        // Cancel keeps everything; OK deletes the notes but not the folder that holds the new archive.
        EXPECT_EQ(fs::exists(notes), button == 1);
        EXPECT_TRUE(fs::exists(photos + "/beach.jpg"));
    }
    AppKit::Workspace::shared().setLauncher({});
}

} // namespace
