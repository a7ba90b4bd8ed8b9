#include "Platform/AppKit/Alert.h"
#include "Platform/Foundation/LocalizedString.h"
#include "Platform/Foundation/StringEncoding.h"
#include "Sellwick/ActionViewController.h"
#include "Sellwick/ArchiveSets.h"
#include "Tiberly/EncodingSelectionController.h"
#include "Vantel/SharedSettings.h"
#include "tests/Extensions/ExtensionTestSupport.h"
#include "tests/support/EventLoop.h"
#include "tests/support/UiDriver.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMouseEvent>

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

TEST(SellwickArchiveSets, VolumesOfOneArchiveGoTogetherInNumberOrderOthersAlone)
{
    using Sets = std::vector<std::vector<std::string>>;
    struct Case {
        std::vector<std::string> paths;
        Sets expected;
    };
    const Case cases[] = {
        {{"/d/a.zip", "/d/b.zip"}, {{"/d/a.zip"}, {"/d/b.zip"}}},
        {{"/d/a.7z.003", "/d/a.7z.001", "/d/a.7z.002"}, {{"/d/a.7z.001", "/d/a.7z.002", "/d/a.7z.003"}}},
        {{"/d/s.part10.rar", "/d/s.part2.rar", "/d/s.part1.rar"},
         {{"/d/s.part1.rar", "/d/s.part2.rar", "/d/s.part10.rar"}}},
        {{"/d/z.zip", "/d/z.z02", "/d/z.z01"}, {{"/d/z.z01", "/d/z.z02", "/d/z.zip"}}},
        {{"/d/Z.ZIP", "/d/Z.Z01"}, {{"/d/Z.Z01", "/d/Z.ZIP"}}},
        // Same suffixes, other base or other folder: other archives.
        {{"/d/a.7z.001", "/d/b.7z.001", "/e/a.7z.002"}, {{"/d/a.7z.001"}, {"/d/b.7z.001"}, {"/e/a.7z.002"}}},
        // A mix keeps each set where its first volume came.
        {{"/d/one.zip", "/d/a.7z.002", "/d/two.tar", "/d/a.7z.001"},
         {{"/d/one.zip"}, {"/d/a.7z.001", "/d/a.7z.002"}, {"/d/two.tar"}}},
        // No volume number: names that only look alike.
        {{"/d/a.7z", "/d/a.zip", "/d/a.rar", "/d/a.part.rar"}, {{"/d/a.7z"}, {"/d/a.zip"}, {"/d/a.rar"}, {"/d/a.part.rar"}}},
        {{"/d/big.99999999999999999999999", "/d/big.001"}, {{"/d/big.99999999999999999999999"}, {"/d/big.001"}}},
        {{}, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Sellwick::archiveSets(c.paths), c.expected) << ::testing::PrintToString(c.paths);
}

// A zip of one file, name.txt holding the given text.
std::string makeSmallZip(const std::string& folder, const std::string& name, const std::string& text)
{
    writeFile(folder + "/src-" + name + "/" + name + ".txt", text);
    const std::string zip = folder + "/" + name + ".zip";
    EXPECT_TRUE(run("cd " + quoted(folder + "/src-" + name) + " && zip -q " + quoted(zip) + " " + name + ".txt"));
    return zip;
}

// A 7z of big.bin (incompressible) in volumes of 4 KiB: vol.7z.001, .002, …
std::vector<std::string> make7zVolumes(const std::string& folder)
{
    writeFile(folder + "/src-vol/big.bin", output("head -c 10000 /dev/urandom"));
    EXPECT_TRUE(run("cd " + quoted(folder + "/src-vol") + " && 7zz a -mx=0 -v4k " + quoted(folder + "/vol.7z") + " big.bin"));
    std::vector<std::string> volumes;
    for (const char* suffix : {".001", ".002", ".003"}) {
        volumes.push_back(folder + "/vol.7z" + suffix);
        EXPECT_TRUE(fs::exists(volumes.back())) << volumes.back();
    }
    return volumes;
}

TEST(Sellwick, SeveralSharedArchivesAreExtractedOneAfterAnotherIntoTheOneChosenFolder)
{
    const std::string folder = makeFolder("several");
    const std::string one = makeSmallZip(folder, "one", "first");
    const std::string two = makeSmallZip(folder, "two", "second");
    const auto volumes = make7zVolumes(folder);
    const std::string big = readFile(folder + "/src-vol/big.bin");
    struct Case {
        std::string name;
        std::vector<std::string> items;
        std::vector<std::string> extracted; // files the destination gets
    };
    const Case cases[] = {
        {"two-zips", {one, two}, {"one.txt", "two.txt"}},
        {"shuffled-volumes", {volumes[2], volumes[0], volumes[1]}, {"big.bin"}},
        {"mix", {volumes[1], one, volumes[2], two, volumes[0]}, {"big.bin", "one.txt", "two.txt"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string destination = makeFolder("several-out-" + c.name);
        SellwickRequest request(c.items);
        request.start();
        // One folder is asked for, once.
        ASSERT_TRUE(TestSupport::acceptOpenPanel(request.window(), {destination}));
        ASSERT_TRUE(request.waitForEnd());
        EXPECT_EQ(request.controller->finishes, 1);
        EXPECT_EQ(request.exitCodes, std::vector<int>{0});
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(destination))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, c.extracted);
        if (fs::exists(destination + "/one.txt")) {
            EXPECT_EQ(readFile(destination + "/one.txt"), "first");
        }
        if (fs::exists(destination + "/big.bin")) {
            EXPECT_TRUE(readFile(destination + "/big.bin") == big);
        }
        expectCopiesGone(request);
    }
}

TEST(Sellwick, AnArchiveThatFailsAmongSeveralIsReportedAndTheOthersStillExtracted)
{
    const std::string folder = makeFolder("one-broken");
    const std::string one = makeSmallZip(folder, "one", "first");
    const std::string broken = writeFile(folder + "/broken.zip", "this is not an archive at all");
    const std::string two = makeSmallZip(folder, "two", "second");
    const std::string destination = makeFolder("one-broken-out");
    SellwickRequest request({one, broken, two});
    request.start();
    ASSERT_TRUE(TestSupport::acceptOpenPanel(request.window(), {destination}));
    auto sheet = TestSupport::waitForSheet(request.window());
    ASSERT_TRUE(sheet);
    EXPECT_EQ(messageOf(sheet), Foundation::localizedString("ALERT_MESSAGE_ANAYLYZING_FAILED"));
    EXPECT_TRUE(request.exitCodes.empty());
    ASSERT_TRUE(TestSupport::pressSheetButton(request.window(), 0));
    ASSERT_TRUE(request.waitForEnd());
    EXPECT_EQ(request.controller->finishes, 1);
    EXPECT_EQ(readFile(destination + "/one.txt"), "first");
    EXPECT_EQ(readFile(destination + "/two.txt"), "second");
    expectCopiesGone(request);
}

// Zips whose one entry name is the text in a legacy encoding, without the
// UTF-8 flag, as DOS and Windows archivers write them: written under an ASCII
// stand-in of the same length, whose bytes are then replaced.
std::vector<std::string> makeLegacyNameZips(const std::string& folder,
                                            const std::vector<std::pair<std::string, std::string>>& names)
{
    std::string script = "import zipfile, sys\n"
                         "folder = sys.argv[1]\n"
                         "for i, (text, codec) in enumerate(zip(sys.argv[2::2], sys.argv[3::2])):\n"
                         "    raw = text.encode(codec)\n"
                         "    stand_in = b'N' * len(raw)\n"
                         "    path = '%s/legacy%d.zip' % (folder, i)\n"
                         "    with zipfile.ZipFile(path, 'w') as z:\n"
                         "        z.writestr(stand_in.decode('ascii'), 'legacy')\n"
                         "    data = open(path, 'rb').read()\n"
                         "    assert data.count(stand_in) == 2\n"
                         "    open(path, 'wb').write(data.replace(stand_in, raw))\n";
    writeFile(folder + "/legacy.py", script);
    std::string command = "python3 " + quoted(folder + "/legacy.py") + " " + quoted(folder);
    for (const auto& [text, codec] : names)
        command += " " + quoted(text) + " " + codec;
    EXPECT_TRUE(run(command));
    std::vector<std::string> zips;
    for (size_t i = 0; i < names.size(); ++i)
        zips.push_back(folder + "/legacy" + std::to_string(i) + ".zip");
    return zips;
}

TEST(Sellwick, TheEncodingSheetOffersTheEncodingThatReadsALegacyZipNameRight)
{
    const std::vector<std::pair<std::string, std::string>> names = {
        {"会議資料_2024年度.txt", "shift_jis"}, {"Übersicht Bücher.txt", "cp437"}, {"Café résumé.txt", "cp1252"},
        {"项目计划书.txt", "gbk"},              {"Отчёт за год.txt", "koi8_r"},
    };
    const std::string folder = makeFolder("legacy");
    const auto zips = makeLegacyNameZips(folder, names);
    for (size_t i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(names[i].second);
        const std::string destination = makeFolder("legacy-out" + std::to_string(i));
        SellwickRequest request({zips[i]});
        request.start();
        ASSERT_TRUE(TestSupport::waitForSheet(request.window()));
        auto selection = std::dynamic_pointer_cast<Tiberly::EncodingSelectionController>(
            request.controller->retainedWindowController());
        ASSERT_TRUE(selection);
        EXPECT_EQ(selection->previewLabel()->stringValue(), names[i].first);
        // The user only confirms what is offered.
        click(selection->okButton()->widget());
        ASSERT_TRUE(TestSupport::acceptOpenPanel(request.window(), {destination}));
        ASSERT_TRUE(request.waitForEnd());
        EXPECT_EQ(readFile(destination + "/" + names[i].first), "legacy");
    }
}

} // namespace
