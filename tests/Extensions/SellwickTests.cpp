#include "Platform/AppKit/Alert.h"
#include "Platform/Foundation/LocalizedString.h"
#include "Platform/Foundation/StringEncoding.h"
#include "Sellwick/ActionViewController.h"
#include "Tiberly/EncodingSelectionController.h"
#include "Vantel/SharedSettings.h"
#include "tests/Extensions/ExtensionTestSupport.h"
#include "tests/support/EventLoop.h"
#include "tests/support/UiDriver.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QMainWindow>

#include <filesystem>

namespace {

using namespace ExtensionTests;
namespace fs = std::filesystem;

class CountingController : public Sellwick::ActionViewController {
public:
    void finishRequest(const Extension::ExtensionContextPtr& context) override
    {
        ++finishes;
        Sellwick::ActionViewController::finishRequest(context);
    }
    int finishes = 0;
};

using SellwickRequest = Request<CountingController>;

// docs/ with a.txt and b.txt zipped by Info-ZIP, optionally with a passphrase.
std::string makeZip(const std::string& folder, const std::string& passphrase = {})
{
    writeFile(folder + "/src/docs/a.txt", "alpha");
    writeFile(folder + "/src/docs/b.txt", "beta");
    writeFile(folder + "/src/top.txt", "top");
    const std::string zip = folder + "/docs.zip";
    const std::string password = passphrase.empty() ? std::string() : " -P " + quoted(passphrase);
    EXPECT_TRUE(run("cd " + quoted(folder + "/src") + " && zip -q -r" + password + " " + quoted(zip) + " docs top.txt"));
    return zip;
}

std::string messageOf(const AppKit::WindowPtr& sheet)
{
    auto* label = sheet->widget()->findChild<QLabel*>(QStringLiteral("messageText"));
    return label ? label->text().toStdString() : std::string();
}

void expectCopiesGone(const SellwickRequest& request)
{
    for (const auto& copy : request.controller->urlsToLoad())
        EXPECT_FALSE(fs::exists(copy.path())) << copy.path();
    EXPECT_TRUE(fs::is_directory(runFolder(request.controller->uuid())));
}

TEST(Sellwick, ExtractsTheArchiveIntoTheChosenFolderAndCompletes)
{
    const std::string folder = makeFolder("plain");
    const std::string zip = makeZip(folder);
    const std::string destination = makeFolder("out");
    SellwickRequest request({zip});
    request.start();
    ASSERT_TRUE(TestSupport::acceptOpenPanel(request.window(), {destination}));
    ASSERT_TRUE(request.waitForEnd());

    EXPECT_EQ(readFile(destination + "/docs/a.txt"), "alpha");
    EXPECT_EQ(readFile(destination + "/docs/b.txt"), "beta");
    EXPECT_EQ(readFile(destination + "/top.txt"), "top");
    EXPECT_EQ(request.exitCodes, std::vector<int>{0});
    EXPECT_EQ(request.controller->finishes, 1);
    ASSERT_EQ(request.controller->originalURLs().size(), 1u);
    EXPECT_EQ(request.controller->originalURLs().front().path(), zip);
    EXPECT_TRUE(fs::exists(zip));
    expectCopiesGone(request);
    EXPECT_FALSE(request.controller->firstAppearance());
}

TEST(Sellwick, CancellingThePanelCompletesTheRequestAndRemovesTheCopies)
{
    const std::string folder = makeFolder("cancel");
    const std::string zip = makeZip(folder);
    SellwickRequest request({zip});
    request.start();
    ASSERT_TRUE(TestSupport::cancelPanel(request.window()));
    ASSERT_TRUE(request.waitForEnd());
    EXPECT_EQ(request.controller->finishes, 1);
    ASSERT_EQ(request.controller->urlsToLoad().size(), 1u);
    expectCopiesGone(request);
    // Appearing again starts nothing more.
    request.controller->notifyDidAppear();
    TestSupport::drainEvents();
    EXPECT_EQ(request.controller->finishes, 1);
}

TEST(Sellwick, AnEncryptedArchiveAsksForThePassphraseAndExtracts)
{
    const std::string folder = makeFolder("secret");
    const std::string zip = makeZip(folder, "s3cret");
    const std::string destination = makeFolder("secret-out");
    SellwickRequest request({zip});
    request.start();
    // The analysis reads names only; the passphrase is asked while extracting.
    ASSERT_TRUE(TestSupport::acceptOpenPanel(request.window(), {destination}));
    ASSERT_TRUE(TestSupport::typeIntoSheet(request.window(), "s3cret"));
    ASSERT_TRUE(TestSupport::pressSheetButton(request.window(), 0));
    ASSERT_TRUE(request.waitForEnd());
    EXPECT_EQ(readFile(destination + "/docs/a.txt"), "alpha");
    EXPECT_EQ(readFile(destination + "/top.txt"), "top");
    EXPECT_EQ(request.controller->finishes, 1);
    expectCopiesGone(request);
}

TEST(Sellwick, AFileThatIsNoArchiveShowsTheFailureAndStillCompletes)
{
    const std::string notes = writeFile(makeFolder("broken") + "/notes.zip", "this is not an archive at all");
    SellwickRequest request({notes});
    request.start();
    auto sheet = TestSupport::waitForSheet(request.window());
    ASSERT_TRUE(sheet);
    EXPECT_EQ(messageOf(sheet), Foundation::localizedString("ALERT_MESSAGE_ANAYLYZING_FAILED"));
    TestSupport::drainEvents();
    EXPECT_TRUE(request.exitCodes.empty());
    ASSERT_TRUE(TestSupport::pressSheetButton(request.window(), 0));
    ASSERT_TRUE(request.waitForEnd());
    EXPECT_EQ(request.controller->finishes, 1);
    expectCopiesGone(request);
}

TEST(Sellwick, AnExistingFileAsksAndIsReplacedOrKeptAsAnswered)
{
    struct Case {
        int button;
        std::string expected;
    };
    // Skip keeps the old file; Replace writes the archive's.
    for (const Case& c : {Case{0, "old"}, Case{2, "top"}}) {
        const std::string folder = makeFolder("conflict" + std::to_string(c.button));
        const std::string zip = makeZip(folder);
        const std::string destination = makeFolder("conflict-out" + std::to_string(c.button));
        writeFile(destination + "/top.txt", "old");
        SellwickRequest request({zip});
        request.start();
        ASSERT_TRUE(TestSupport::acceptOpenPanel(request.window(), {destination}));
        auto sheet = TestSupport::waitForSheet(request.window());
        ASSERT_TRUE(sheet);
        EXPECT_EQ(messageOf(sheet),
                  Foundation::format(Foundation::localizedString("UNARCHIVING_ALERT_FILE_CONFLICT_EXITS"), {"top.txt"}));
        ASSERT_TRUE(TestSupport::pressSheetButton(request.window(), c.button));
        ASSERT_TRUE(request.waitForEnd());
        EXPECT_EQ(readFile(destination + "/top.txt"), c.expected);
        EXPECT_EQ(readFile(destination + "/docs/a.txt"), "alpha");
        EXPECT_EQ(request.controller->finishes, 1);
    }
}

TEST(Sellwick, ACancelledPassphraseEndsInTheFailureAlert)
{
    const std::string folder = makeFolder("stop");
    const std::string zip = makeZip(folder, "pw");
    const std::string destination = makeFolder("stop-out");
    SellwickRequest request({zip});
    request.start();
    ASSERT_TRUE(TestSupport::acceptOpenPanel(request.window(), {destination}));
    // The passphrase prompt is cancelled: the engine goes on without one and fails.
    ASSERT_TRUE(TestSupport::waitForSheet(request.window()));
    ASSERT_TRUE(TestSupport::pressSheetButton(request.window(), 1));
    auto sheet = TestSupport::waitForSheet(request.window());
    ASSERT_TRUE(sheet);
    // A failure other than a cancellation shows the analysis-failed message too.
    EXPECT_EQ(messageOf(sheet), Foundation::localizedString("ALERT_MESSAGE_ANAYLYZING_FAILED"));
    ASSERT_TRUE(TestSupport::pressSheetButton(request.window(), 0));
    ASSERT_TRUE(request.waitForEnd());
    EXPECT_EQ(request.controller->finishes, 1);
    EXPECT_FALSE(fs::exists(destination + "/docs/a.txt"));
}

TEST(Sellwick, CancellingTheProgressEndsTheExtractionWithoutAnAlert)
{
    const std::string folder = makeFolder("progress");
    const std::string zip = makeZip(folder);
    const std::string destination = makeFolder("progress-out");
    writeFile(destination + "/top.txt", "old");
    SellwickRequest request({zip});
    request.start();
    ASSERT_TRUE(TestSupport::acceptOpenPanel(request.window(), {destination}));
    // Held at the conflict question: the cancel reaches the task first.
    ASSERT_TRUE(TestSupport::waitForSheet(request.window()));
    request.controller->progressVC()->cancelButton()->performClick();
    ASSERT_TRUE(TestSupport::pressSheetButton(request.window(), 0));
    ASSERT_TRUE(request.waitForEnd());
    EXPECT_EQ(request.controller->finishes, 1);
    EXPECT_FALSE(request.window()->attachedSheet());
    EXPECT_EQ(readFile(destination + "/top.txt"), "old");
    expectCopiesGone(request);
}

// A tar whose one entry name is the ISO Latin 1 bytes of "café.txt".
std::string makeLatin1Tar(const std::string& folder)
{
    const std::string tar = folder + "/latin.tar";
    const std::string script = "import tarfile, io\n"
                               "t = tarfile.open('" + tar + "', 'w', format=tarfile.USTAR_FORMAT, encoding='iso-8859-1')\n"
                               "data = b'latin'\n"
                               "info = tarfile.TarInfo('caf\\u00e9.txt'); info.size = len(data)\n"
                               "t.addfile(info, io.BytesIO(data)); t.close()\n";
    writeFile(folder + "/make.py", script);
    EXPECT_TRUE(run("python3 " + quoted(folder + "/make.py")));
    return tar;
}

// Sets the shared fallback encoding for one test and puts back what was
// stored before (or its absence), so later tests see the settings untouched.
class FallbackEncodingScope {
public:
    explicit FallbackEncodingScope(Foundation::StringEncoding encoding)
        : saved_(Vantel::shared()->stringForKey(Vantel::kFallbackEncodingKey))
    {
        Vantel::SharedSettings().setFallbackEncoding(encoding);
    }
    ~FallbackEncodingScope()
    {
        if (saved_)
            Vantel::shared()->setValue(*saved_, Vantel::kFallbackEncodingKey);
        else
            Vantel::shared()->removeObjectForKey(Vantel::kFallbackEncodingKey);
    }
    FallbackEncodingScope(const FallbackEncodingScope&) = delete;
    FallbackEncodingScope& operator=(const FallbackEncodingScope&) = delete;

private:
    std::optional<std::string> saved_;
};

TEST(Sellwick, AFallbackEncodingAnswersWithoutASheet)
{
    const FallbackEncodingScope fallback(Foundation::Encoding::ISOLatin1);
    const std::string folder = makeFolder("latin");
    const std::string tar = makeLatin1Tar(folder);
    const std::string destination = makeFolder("latin-out");
    SellwickRequest request({tar});
    request.start();
    ASSERT_TRUE(TestSupport::acceptOpenPanel(request.window(), {destination}));
    ASSERT_TRUE(request.waitForEnd());
    EXPECT_EQ(readFile(destination + "/caf\xc3\xa9.txt"), "latin");
    EXPECT_FALSE(request.controller->retainedWindowController());
}

TEST(Sellwick, WithoutAFallbackTheEncodingSheetDecides)
{
    const std::string folder = makeFolder("sheet");
    const std::string tar = makeLatin1Tar(folder);
    const std::string destination = makeFolder("sheet-out");
    SellwickRequest request({tar});
    request.start();
    ASSERT_TRUE(TestSupport::waitForSheet(request.window()));
    auto selection = std::dynamic_pointer_cast<Tiberly::EncodingSelectionController>(
        request.controller->retainedWindowController());
    ASSERT_TRUE(selection);
    EXPECT_EQ(selection->sampleBytes(), "caf\xe9.txt");
    const auto& encodings = selection->encodings();
    const auto latin1 = std::find(encodings.begin(), encodings.end(), Foundation::Encoding::ISOLatin1);
    ASSERT_NE(latin1, encodings.end());
    selection->encodingPopUp()->selectItemAtIndex(static_cast<int>(latin1 - encodings.begin()));
    selection->okButton()->performClick();
    ASSERT_TRUE(TestSupport::acceptOpenPanel(request.window(), {destination}));
    ASSERT_TRUE(request.waitForEnd());
    EXPECT_FALSE(request.controller->retainedWindowController());
    // The extraction decodes with the encoding the analysis was answered with.
    EXPECT_EQ(readFile(destination + "/caf\xc3\xa9.txt"), "latin");
}

} // namespace
