#include "Brackwen/ZODArchiverPreference.h"
#include "Platform/Dispatch/Dispatch.h"
#include "Platform/Foundation/StringEncoding.h"
#include "Tiberly/ArchiveSettingViewController.h"
#include "Tiberly/EncodingSelectionController.h"
#include "Tiberly/KVUDragDropView.h"
#include "Tiberly/KitStrings.h"
#include "Tiberly/Panels.h"
#include "Tiberly/ProgressViewController.h"
#include "tests/support/UiDriver.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include <fstream>
#include <thread>

using namespace Tiberly;

namespace {
// Runs everything posted to the main queue before this call.
void drainMainQueue()
{
    bool reached = false;
    Dispatch::mainQueue()->async([&] { reached = true; });
    ASSERT_TRUE(TestSupport::waitFor([&] { return reached; }));
}

// Replaces what the field holds with the text, keystroke by keystroke.
void type(AppKit::TextField& field, const char* text)
{
    QTest::keyClick(field.widget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field.widget(), Qt::Key_Backspace);
    QTest::keyClicks(field.widget(), QString::fromUtf8(text));
}
} // namespace

TEST(ProgressView, ShowsChangesFromAnyThreadAndDropsStaleOnes)
{
    int cancels = 0;
    auto controller = std::make_shared<ProgressViewController>([&] { ++cancels; });
    auto first = Foundation::Progress::make(10);
    controller->setProgress(first);
    std::thread([&] {
        first->setLocalizedAdditionalDescription("half");
        first->setCompletedUnitCount(5);
    }).join();
    ASSERT_TRUE(TestSupport::waitFor([&] { return controller->descriptionLabel()->stringValue() == "half"; }));
    drainMainQueue();
    EXPECT_FALSE(controller->progressIndicator()->isIndeterminate());
    EXPECT_DOUBLE_EQ(controller->progressIndicator()->doubleValue(), 0.5);

    auto second = Foundation::Progress::make(-1);
    second->setLocalizedAdditionalDescription("counting");
    std::thread([&] { first->setLocalizedAdditionalDescription("stale"); }).join();
    controller->setProgress(second);
    std::thread([&] { first->setLocalizedAdditionalDescription("staler"); }).join();
    drainMainQueue();
    EXPECT_EQ(controller->descriptionLabel()->stringValue(), "counting");
    EXPECT_TRUE(controller->progressIndicator()->isIndeterminate());

    controller->cancelButton()->performClick();
    controller->cancelButton()->performClick();
    EXPECT_EQ(cancels, 1);
}

TEST(ArchiveSettings, StoredSettingsReadBackAsCurrent)
{
    auto controller = std::make_shared<ArchiveSettingViewController>();
    controller->formatPopUp()->performSelectItemAtIndex(ZODArchiverPreset7z);
    controller->levelPopUp()->performSelectItemAtIndex(5);
    controller->encryptionMethodPopUp()->performSelectItemAtIndex(2);
    type(*controller->passphraseField(), "secret");
    type(*controller->confirmationField(), "secret");
    controller->encryptNamesCheckbox()->performClick();
    controller->deleteOriginalsCheckbox()->performClick();

    const auto preference = ZODArchiverPreference::current();
    EXPECT_EQ(preference.preset(), ZODArchiverPreset7z);
    EXPECT_EQ(preference.compressionLevel(), 5);
    EXPECT_EQ(preference.passphrase(), std::optional<std::string>("secret"));
    EXPECT_EQ(preference.encryptionMethod(), ZODArchiverEncryptionMethodAES256);
    EXPECT_TRUE(preference.shouldEncryptHeader());
    EXPECT_TRUE(preference.deleteOriginal());
    EXPECT_FALSE(preference.revealInFinder());

    // A fresh view shows what was stored.
    auto again = std::make_shared<ArchiveSettingViewController>();
    EXPECT_EQ(again->formatPopUp()->indexOfSelectedItem(), ZODArchiverPreset7z);
    EXPECT_EQ(again->deleteOriginalsCheckbox()->state(), AppKit::ControlStateValueOn);

    // A confirmation that does not match drops the passphrase.
    type(*again->confirmationField(), "secrte");
    EXPECT_FALSE(ZODArchiverPreference::current().passphrase());
    type(*again->confirmationField(), "");
    type(*again->passphraseField(), "");
}

TEST(ArchiveSettings, EncryptedNamesAndRefusalsFollowThePassphraseAndTheFormat)
{
    enum Problem { none, mismatch, cannotEncrypt };
    struct Case {
        int64_t preset;
        const char* passphrase;
        const char* confirmation;
        bool namesEnabled;
        Problem problem;
    };
    const Case cases[] = {
        {ZODArchiverPreset7z, "", "", false, none},
        {ZODArchiverPreset7z, "pw", "", false, mismatch},
        {ZODArchiverPreset7z, "", "pw", false, mismatch},
        {ZODArchiverPreset7z, "pw", "px", false, mismatch},
        {ZODArchiverPreset7z, "pw", "pw", true, none},
        {ZODArchiverPresetZip, "pw", "pw", false, none},
        {ZODArchiverPresetZip, "pw", "px", false, mismatch},
        {ZODArchiverPresetTarGz, "pw", "pw", false, cannotEncrypt},
        {ZODArchiverPresetTarGz, "", "", false, none},
    };
    auto controller = std::make_shared<ArchiveSettingViewController>();
    // The user's wish to encrypt names, made while it could be honoured.
    controller->formatPopUp()->performSelectItemAtIndex(ZODArchiverPreset7z);
    type(*controller->passphraseField(), "pw");
    type(*controller->confirmationField(), "pw");
    if (controller->encryptNamesCheckbox()->state() != AppKit::ControlStateValueOn)
        controller->encryptNamesCheckbox()->performClick();
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.preset) + " '" + c.passphrase + "' '" + c.confirmation + "'");
        controller->formatPopUp()->performSelectItemAtIndex(static_cast<int>(c.preset));
        type(*controller->passphraseField(), c.passphrase);
        type(*controller->confirmationField(), c.confirmation);
        EXPECT_EQ(controller->encryptNamesCheckbox()->isEnabled(), c.namesEnabled);
        // A tick that cannot be honoured is not shown; the wish comes back with the passphrase.
        EXPECT_EQ(controller->encryptNamesCheckbox()->state() == AppKit::ControlStateValueOn, c.namesEnabled);
        EXPECT_EQ(ZODArchiverPreference::current().shouldEncryptHeader(), c.namesEnabled);
        const auto problem = archiveSettingsProblem();
        EXPECT_EQ(problem.has_value(), c.problem != none);
        if (c.problem == mismatch) {
            EXPECT_EQ(problem, kitString("KIT_PASSPHRASE_MISMATCH"));
        } else if (c.problem == cannotEncrypt) {
            EXPECT_NE(problem.value_or("").find(ZODArchiverPreference::presetFileExtension(c.preset)),
                      std::string::npos);
        }
        // A typed passphrase stays within reach, to be corrected or cleared.
        EXPECT_TRUE(controller->passphraseField()->isEnabled());
    }
    type(*controller->passphraseField(), "");
    type(*controller->confirmationField(), "");
    controller->formatPopUp()->performSelectItemAtIndex(ZODArchiverPresetZip);
}

TEST(ArchiveSettings, OptionsAFormatCannotHonourAreDisabledAndLeftOut)
{
    struct Case {
        int64_t preset;
        bool encryption, names, level;
    };
    const Case cases[] = {
        {ZODArchiverPresetZip, true, false, true},     {ZODArchiverPreset7z, true, true, true},
        {ZODArchiverPresetTarGz, false, false, true},  {ZODArchiverPresetTarZ, false, false, false},
        {ZODArchiverPresetISO, false, false, false},   {ZODArchiverPresetTarZst, false, false, true},
    };
    auto controller = std::make_shared<ArchiveSettingViewController>();
    type(*controller->passphraseField(), "pw");
    type(*controller->confirmationField(), "pw");
    controller->levelPopUp()->performSelectItemAtIndex(3);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.preset);
        controller->formatPopUp()->performSelectItemAtIndex(static_cast<int>(c.preset));
        EXPECT_EQ(controller->encryptionMethodPopUp()->isEnabled(), c.encryption);
        EXPECT_EQ(controller->encryptNamesCheckbox()->isEnabled(), c.names);
        EXPECT_EQ(controller->levelPopUp()->isEnabled(), c.level);
        EXPECT_EQ(controller->hintLabel()->stringValue().empty(), c.encryption && c.names && c.level);
        const auto preference = ZODArchiverPreference::current();
        EXPECT_EQ(preference.passphrase().has_value(), c.encryption);
        EXPECT_EQ(preference.compressionLevel(), c.level ? 3 : 0);
    }

    controller->setEditable(false);
    EXPECT_FALSE(controller->formatPopUp()->isEnabled());
    EXPECT_FALSE(controller->deleteOriginalsCheckbox()->isEnabled());
    controller->formatPopUp()->performSelectItemAtIndex(0);
    EXPECT_EQ(ZODArchiverPreference::current().preset(), ZODArchiverPresetTarZst);
    controller->setEditable(true);
    type(*controller->passphraseField(), "");
    type(*controller->confirmationField(), "");
}

TEST(KitTexts, ComeFromTheKitsStringTable)
{
    auto progress = std::make_shared<ProgressViewController>([] {});
    EXPECT_EQ(progress->cancelButton()->title(), "Cancel");

    auto settings = std::make_shared<ArchiveSettingViewController>();
    std::vector<std::string> levels;
    for (int i = 0; i < 6; ++i)
        levels.push_back(settings->levelPopUp()->itemTitleAtIndex(i));
    EXPECT_EQ(levels, (std::vector<std::string>{"Default", "Lowest", "Low", "Medium", "High", "Highest"}));
    EXPECT_EQ(settings->ignoreHiddenFilesCheckbox()->title(), "Ignore hidden files");
    settings->formatPopUp()->performSelectItemAtIndex(ZODArchiverPresetTarZ);
    EXPECT_EQ(settings->hintLabel()->stringValue(),
              "This format cannot be encrypted.\nThis format has no compression levels.");

    auto encoding = std::make_shared<EncodingSelectionController>();
    EXPECT_EQ(encoding->okButton()->title(), "OK");
    EXPECT_EQ(encoding->cancelButton()->title(), "Cancel");
}

TEST(EncodingSelection, SelectionOnlyAfterOK)
{
    const std::string shiftJIS = "\x83\x65\x83\x58\x83\x67"; // "テスト"
    auto sheetHost = AppKit::Window::make();
    sheetHost->makeKeyAndOrderFront();
    for (bool ok : {true, false}) {
        auto controller = std::make_shared<EncodingSelectionController>();
        controller->setSampleBytes(shiftJIS);
        const auto& encodings = controller->encodings();
        const auto it = std::find(encodings.begin(), encodings.end(), Foundation::Encoding::ShiftJIS);
        ASSERT_NE(it, encodings.end());
        controller->encodingPopUp()->performSelectItemAtIndex(static_cast<int>(it - encodings.begin()));
        EXPECT_EQ(controller->previewLabel()->stringValue(), "テスト");
        std::optional<AppKit::ModalResponse> response;
        sheetHost->beginSheet(controller->window(), [&](AppKit::ModalResponse r) { response = r; });
        (ok ? controller->okButton() : controller->cancelButton())->performClick();
        ASSERT_TRUE(TestSupport::waitFor([&] { return response.has_value(); }));
        EXPECT_EQ(*response, ok ? AppKit::ModalResponseOK : AppKit::ModalResponseCancel);
        EXPECT_EQ(controller->selectedEncoding(),
                  ok ? std::optional<Foundation::StringEncoding>(Foundation::Encoding::ShiftJIS) : std::nullopt);
    }
}

TEST(KitPanels, HandlerOrCancelRunsOnce)
{
    const std::string file = (QDir::tempPath() + "/chosen.rar").toStdString();
    std::ofstream(file) << "x";
    auto controller = std::make_shared<AppKit::ViewController>();
    auto window = AppKit::Window::withContentViewController(controller);
    window->makeKeyAndOrderFront();

    int handled = 0, cancelled = 0;
    std::vector<std::string> chosen;
    openItems(AppKit::OpenPanel::openPanel(), controller.get(), [&] { ++cancelled; },
              [&](std::vector<std::string> urls) {
                  ++handled;
                  chosen = std::move(urls);
              });
    ASSERT_TRUE(TestSupport::acceptOpenPanel(window, {file}));
    ASSERT_TRUE(TestSupport::waitFor([&] { return handled == 1; }));
    EXPECT_EQ(chosen, std::vector<std::string>{file});

    saveFile(AppKit::SavePanel::savePanel(), controller.get(), [&] { ++cancelled; },
             [&](std::string) { ++handled; });
    ASSERT_TRUE(TestSupport::cancelPanel(window));
    ASSERT_TRUE(TestSupport::waitFor([&] { return cancelled == 1; }));

    std::string saved;
    saveFile(AppKit::SavePanel::savePanel(), nullptr, nullptr, [&](std::string url) { saved = std::move(url); });
    const std::string target = (QDir::tempPath() + "/new.zip").toStdString();
    ASSERT_TRUE(TestSupport::acceptSavePanel(nullptr, target));
    ASSERT_TRUE(TestSupport::waitFor([&] { return !saved.empty(); }));
    EXPECT_EQ(saved, target);
    EXPECT_EQ(handled, 1);
    EXPECT_EQ(cancelled, 1);
}

namespace {
struct RecordingDelegate : KVUDragDropViewDelegate {
    AppKit::DragOperation answer = AppKit::DragOperation::copy;
    std::vector<std::string> offered, dropped;
    int drops = 0;
    AppKit::DragOperation dragOperationForFiles(KVUDragDropView&, const std::vector<std::string>& paths) override
    {
        offered = paths;
        return answer;
    }
    void didReceiveDroppedFiles(KVUDragDropView&, const std::vector<std::string>& paths) override
    {
        ++drops;
        dropped = paths;
    }
};
} // namespace

TEST(DragDropView, DelegateDecidesAndReceivesLocalFiles)
{
    auto view = KVUDragDropView::make();
    auto delegate = std::make_shared<RecordingDelegate>();
    view->setDelegate(delegate);
    view->widget()->resize(200, 200);
    view->widget()->show();

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile("/tmp/one.txt"), QUrl("https://example.com/x"), QUrl::fromLocalFile("/tmp/d")});
    const QPoint centre(100, 100);
    for (auto answer : {AppKit::DragOperation::none, AppKit::DragOperation::copy}) {
        delegate->answer = answer;
        QDragEnterEvent enter(centre, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view->widget(), &enter);
        EXPECT_EQ(enter.isAccepted(), answer != AppKit::DragOperation::none);
        EXPECT_EQ(view->isHighlighted(), answer != AppKit::DragOperation::none);
        QDropEvent drop(centre, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view->widget(), &drop);
        EXPECT_FALSE(view->isHighlighted());
    }
    EXPECT_EQ(delegate->offered, (std::vector<std::string>{"/tmp/one.txt", "/tmp/d"}));
    EXPECT_EQ(delegate->drops, 1);
    EXPECT_EQ(delegate->dropped, delegate->offered);
}

TEST(DragDropView, ARefusalReasonShowsWhileTheDragIsOverAndKeepsTheDrop)
{
    auto view = KVUDragDropView::make();
    auto delegate = std::make_shared<RecordingDelegate>();
    view->setDelegate(delegate);
    view->widget()->resize(200, 200);
    view->widget()->show();

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile("/tmp/one.txt")});
    const QPoint centre(100, 100);
    struct Case {
        std::optional<std::string> reason;
    };
    for (const Case& c : {Case{"The passphrases do not match."}, Case{std::nullopt}}) {
        view->setRefusalReason(c.reason);
        QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view->widget(), &enter);
        EXPECT_TRUE(enter.isAccepted());
        EXPECT_TRUE(view->isHighlighted());
        EXPECT_EQ(view->isRefusing(), c.reason.has_value());
        QDragLeaveEvent leave;
        QApplication::sendEvent(view->widget(), &leave);
        EXPECT_FALSE(view->isRefusing());
        EXPECT_FALSE(view->isHighlighted());
    }
}
