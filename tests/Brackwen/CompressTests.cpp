#include "Brackwen/ZODArchiver.h"
#include "Brackwen/WriterLibarchive.h"
#include "tests/Brackwen/CompressTestSupport.h"
#include "tests/support/EventLoop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <sstream>
#include <sys/stat.h>

using namespace CompressTest;
namespace fs = std::filesystem;

namespace {

struct Outcome {
    bool done = false;
    bool success = false;
    Foundation::ErrorPtr error;
    int calls = 0;
    Foundation::ProgressPtr progress;
};

// Runs one compression to its completion on the main queue. `whileRunning`
// is called on the main thread once the task has started.
Outcome compress(const std::vector<std::string>& items, const std::string& destination,
                 const ZODArchiverPreference& preference,
                 const std::function<void(const ZODArchiverTaskPtr&)>& whileRunning = {},
                 Foundation::ProgressPtr progress = nullptr)
{
    auto outcome = std::make_shared<Outcome>();
    auto task = ZODArchiver::compressItems(
        items, destination, preference, std::move(progress),
        [outcome](bool success, Foundation::ErrorPtr error, ZODArchiverTaskPtr) {
            Dispatch::assertMainThread("compress completion");
            outcome->done = true;
            outcome->success = success;
            outcome->error = std::move(error);
            ++outcome->calls;
        },
        Dispatch::globalQueue(), Dispatch::mainQueue());
    outcome->progress = task->progress();
    task->resume();
    if (whileRunning)
        whileRunning(task);
    EXPECT_TRUE(TestSupport::waitUntil([&] { return outcome->done; }, std::chrono::seconds(60)));
    TestSupport::drainEvents();
    EXPECT_EQ(outcome->calls, 1);
    return *outcome;
}

bool leftovers(const std::string& folder)
{
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().filename().string().rfind(".kelvora-", 0) == 0)
            return true;
    return false;
}

class CompressTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = freshFolder("src");
        tree = makeTree(root);
        out = freshFolder("out");
    }
    std::string destination(int64_t preset) const
    {
        return out + "/archive" + ZODArchiverPreference::presetFileExtension(preset);
    }
    std::string root, tree, out;
};

// An independent reader's check and extraction for each preset.
struct Reader {
    const char* test;    // exit status 0 when the archive is sound
    const char* extract; // into $OUT
};

Reader readerFor(int64_t preset)
{
    switch (preset) {
    case ZODArchiverPresetZip: return {"unzip -t $ARC", "unzip -q $ARC -d $OUT"};
    case ZODArchiverPreset7z: return {"7zz t $ARC", "7zz x -y -o$OUT $ARC"};
    case ZODArchiverPresetISO: return {"bsdtar -tf $ARC", "bsdtar -xf $ARC -C $OUT"};
    default: return {"tar -tf $ARC", "tar -xf $ARC -C $OUT"};
    }
}

std::string fill(std::string command, const std::string& archive, const std::string& outFolder)
{
    for (auto [key, value] : {std::pair<std::string, std::string>{"$ARC", shellQuoted(archive)}, {"$OUT", shellQuoted(outFolder)}})
        for (size_t at; (at = command.find(key)) != std::string::npos;)
            command.replace(at, key.size(), value);
    return command;
}

class CompressRoundTrip : public CompressTest, public ::testing::WithParamInterface<std::tuple<int64_t, int64_t>> {};

TEST_P(CompressRoundTrip, IndependentReaderGetsTheSameTree)
{
    auto [preset, level] = GetParam();
    ZODArchiverPreference preference(preset, std::nullopt);
    preference.setCompressionLevel(level);
    std::string archive = destination(preset);
    auto outcome = compress({tree, root + "/tree/sub/c.txt"}, archive, preference);
    ASSERT_TRUE(outcome.success) << outcome.error->localizedDescription() << " "
                                 << outcome.error->stringForKey(ZODArchiverUnderlyingMessageKey);
    EXPECT_FALSE(leftovers(out));
    EXPECT_EQ(outcome.progress->completedUnitCount(), outcome.progress->totalUnitCount());
    EXPECT_GT(outcome.progress->totalUnitCount(), 220000);
    EXPECT_NE(outcome.progress->localizedAdditionalDescription().find(" of "), std::string::npos);

    Reader reader = readerFor(preset);
    auto tested = shell(fill(reader.test, archive, ""));
    EXPECT_EQ(tested.status, 0) << tested.output;
    std::string extracted = freshFolder("check");
    auto x = shell(fill(reader.extract, archive, extracted));
    ASSERT_EQ(x.status, 0) << x.output;
    EXPECT_EQ(readFile(extracted + "/tree/a.txt"), readFile(tree + "/a.txt"));
    EXPECT_EQ(readFile(extracted + "/tree/sub/b.bin"), readFile(tree + "/sub/b.bin"));
    EXPECT_EQ(readFile(extracted + "/c.txt"), "c\n");
    EXPECT_TRUE(fs::exists(extracted + "/tree/.hidden"));
    ASSERT_TRUE(fs::is_symlink(extracted + "/tree/link"));
    EXPECT_EQ(fs::read_symlink(extracted + "/tree/link"), "a.txt");
}

INSTANTIATE_TEST_SUITE_P(EveryPreset, CompressRoundTrip,
                         ::testing::Combine(::testing::Range<int64_t>(0, 8), ::testing::Values<int64_t>(0, 5)));

TEST_F(CompressTest, ZipIsEncryptedWithTheChosenMethod)
{
    struct Case {
        int64_t method;
        const char* shown;
    } cases[] = {{ZODArchiverEncryptionMethodZipCrypto, "ZipCrypto"},
                 {ZODArchiverEncryptionMethodAES128, "AES-128"},
                 {ZODArchiverEncryptionMethodAES256, "AES-256"},
                 {ZODArchiverEncryptionMethodNone, "AES-256"}};
    for (const auto& c : cases) {
        ZODArchiverPreference preference(ZODArchiverPresetZip, "pass word");
        preference.setEncryptionMethod(c.method);
        std::string archive = out + "/enc" + std::to_string(c.method) + ".zip";
        auto outcome = compress({tree}, archive, preference);
        ASSERT_TRUE(outcome.success) << outcome.error->localizedDescription();
        auto listing = shell("7zz l -slt '-ppass word' " + shellQuoted(archive));
        EXPECT_NE(listing.output.find("Path = tree/sub/b.bin\n"), std::string::npos);
        EXPECT_NE(listing.output.find(std::string("Method = ") + c.shown), std::string::npos) << listing.output;
        EXPECT_EQ(shell("7zz t '-ppass word' " + shellQuoted(archive)).status, 0);
        EXPECT_NE(shell("7zz t -pwrong " + shellQuoted(archive)).status, 0);
    }
}

TEST_F(CompressTest, SevenZipHidesNamesBehindThePassphrase)
{
    ZODArchiverPreference preference(ZODArchiverPreset7z, "s3cret");
    preference.setShouldEncryptHeader(true);
    std::string archive = destination(ZODArchiverPreset7z);
    auto outcome = compress({tree}, archive, preference);
    ASSERT_TRUE(outcome.success) << outcome.error->localizedDescription();
    EXPECT_NE(shell("7zz l -pwrong " + shellQuoted(archive)).status, 0);
    auto listing = shell("7zz l -slt -ps3cret " + shellQuoted(archive));
    EXPECT_NE(listing.output.find("Path = tree/sub/b.bin"), std::string::npos);
    EXPECT_NE(listing.output.find("7zAES"), std::string::npos);
    EXPECT_EQ(shell("7zz t -ps3cret " + shellQuoted(archive)).status, 0);
}

TEST_F(CompressTest, HiddenFilesAreLeftOutWhenAsked)
{
    for (int64_t preset : {ZODArchiverPresetZip, ZODArchiverPreset7z, ZODArchiverPresetTarGz}) {
        for (bool ignore : {true, false}) {
            ZODArchiverPreference preference(preset, std::nullopt);
            preference.setIgnoreHiddenUnixFiles(ignore);
            std::string archive = out + "/h" + std::to_string(ignore) + ZODArchiverPreference::presetFileExtension(preset);
            auto outcome = compress({tree, root + "/tree/.hidden"}, archive, preference);
            ASSERT_TRUE(outcome.success) << outcome.error->localizedDescription();
            auto listing = shell("bsdtar -tf " + shellQuoted(archive));
            EXPECT_EQ(listing.output.find(".hidden") == std::string::npos, ignore) << listing.output;
            EXPECT_EQ(listing.output.find(".hdir") == std::string::npos, ignore) << listing.output;
            EXPECT_NE(listing.output.find("tree/sub/c.txt"), std::string::npos);
        }
    }
}

TEST_F(CompressTest, FormatsThatCannotEncryptRefuseAndWriteNothing)
{
    struct Case {
        int64_t preset;
        bool encryptHeader;
    } cases[] = {{ZODArchiverPresetTarGz, false}, {ZODArchiverPresetTarBz2, false}, {ZODArchiverPresetTarZ, false},
                 {ZODArchiverPresetTarXz, false}, {ZODArchiverPresetISO, false},   {ZODArchiverPresetTarZst, false},
                 {ZODArchiverPresetZip, true}};
    for (const auto& c : cases) {
        ZODArchiverPreference preference(c.preset, "pw");
        preference.setShouldEncryptHeader(c.encryptHeader);
        auto outcome = compress({tree}, destination(c.preset), preference);
        ASSERT_FALSE(outcome.success);
        EXPECT_EQ(outcome.error->code(), ZODArchiverErrorCannotEncrypt) << c.preset;
        EXPECT_FALSE(fs::exists(destination(c.preset)));
    }
    EXPECT_TRUE(fs::is_empty(out));
}

TEST_F(CompressTest, CancelLeavesNothingBehind)
{
    writeFile(tree + "/big.bin", randomBytes(64 << 20, 11));
    for (int64_t preset : {ZODArchiverPresetZip, ZODArchiverPreset7z, ZODArchiverPresetTarXz}) {
        ZODArchiverPreference preference(preset, std::nullopt);
        preference.setCompressionLevel(3);
        auto outcome = compress({tree}, destination(preset), preference, [](const ZODArchiverTaskPtr& task) {
            auto progress = task->progress();
            TestSupport::waitUntil([&] { return progress->completedUnitCount() > 0; });
            task->cancel();
        });
        ASSERT_FALSE(outcome.success);
        EXPECT_EQ(outcome.error->code(), ZODArchiverErrorCancelled);
        EXPECT_TRUE(fs::is_empty(out)) << preset;
    }
}

TEST_F(CompressTest, AlreadyCancelledProgressCompletesWithCancelled)
{
    auto progress = Foundation::Progress::make(-1);
    progress->cancel();
    auto outcome = compress({tree}, destination(ZODArchiverPresetZip), ZODArchiverPreference(ZODArchiverPresetZip, std::nullopt),
                            {}, progress);
    ASSERT_FALSE(outcome.success);
    EXPECT_EQ(outcome.error->code(), ZODArchiverErrorCancelled);
    EXPECT_TRUE(fs::is_empty(out));
}

TEST_F(CompressTest, UnwritableDestinationFolderIsAClearError)
{
    writeFile(root + "/plain-file", "x");
    std::vector<std::string> destinations = {root + "/plain-file/archive.zip", root + "/missing/archive.zip"};
    if (::geteuid() != 0) {
        std::string locked = freshFolder("locked");
        fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
        destinations.push_back(locked + "/archive.zip");
    }
    for (const auto& d : destinations) {
        auto outcome = compress({tree}, d, ZODArchiverPreference(ZODArchiverPresetZip, std::nullopt));
        ASSERT_FALSE(outcome.success);
        EXPECT_EQ(outcome.error->code(), ZODArchiverErrorCannotWrite);
        EXPECT_EQ(outcome.error->stringForKey(Foundation::NSFilePathErrorKey), fs::path(d).parent_path().string());
    }
}

TEST_F(CompressTest, MissingSourceIsNamed)
{
    std::string missing = root + "/gone";
    for (int64_t preset : {ZODArchiverPresetZip, ZODArchiverPreset7z}) {
        auto outcome = compress({tree, missing}, destination(preset), ZODArchiverPreference(preset, std::nullopt));
        ASSERT_FALSE(outcome.success);
        EXPECT_EQ(outcome.error->code(), ZODArchiverErrorFileNotFound);
        EXPECT_EQ(outcome.error->stringForKey(Foundation::NSFilePathErrorKey), missing);
    }
    EXPECT_TRUE(fs::is_empty(out));
}

TEST_F(CompressTest, WithoutSevenZipPlain7zFallsBackAndEncrypted7zFails)
{
    ::setenv("KELVORA_7ZZ", "/nonexistent/7zz", 1);
    auto plain = compress({tree}, destination(ZODArchiverPreset7z), ZODArchiverPreference(ZODArchiverPreset7z, std::nullopt));
    auto encrypted = compress({tree}, out + "/enc.7z", ZODArchiverPreference(ZODArchiverPreset7z, "pw"));
    ::unsetenv("KELVORA_7ZZ");
    ASSERT_TRUE(plain.success) << plain.error->localizedDescription();
    EXPECT_EQ(shell("7zz t " + shellQuoted(destination(ZODArchiverPreset7z))).status, 0);
    ASSERT_FALSE(encrypted.success);
    EXPECT_EQ(encrypted.error->code(), ZODArchiverErrorBackendMissing);
    EXPECT_FALSE(fs::exists(out + "/enc.7z"));
}

TEST_F(CompressTest, FullDiskIsAFailure)
{
    auto plan = Brackwen::planCompression({tree}, false, nullptr);
    ASSERT_TRUE(plan.isSuccess());
    using Brackwen::StreamCodec;
    struct Case {
        const char* filter;
        StreamCodec codec;
        const char* format = "paxr";
    } cases[] = {{"", StreamCodec::None},        {"gzip", StreamCodec::None}, {"", StreamCodec::Zstd},
                 {"", StreamCodec::Xz},          {"", StreamCodec::Gzip},     {"", StreamCodec::None, "zip"},
                 {"", StreamCodec::Deflate, "zip"}};
    for (const auto& c : cases) {
        int fd = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        Brackwen::WriterSettings settings{c.format, c.filter, "", std::nullopt, {c.codec, c.codec == StreamCodec::Xz ? 1 : 3, 4}};
        auto written = Brackwen::writeArchive(fd, plan.value(), settings, {});
        ::close(fd);
        ASSERT_TRUE(written.isFailure()) << c.filter << int(c.codec);
        EXPECT_EQ(written.error()->code(), ZODArchiverErrorDiskFull) << c.filter << int(c.codec);
    }
}

// Many compression blocks of text and of random data beside the small tree.
void addLargeFiles(const std::string& tree)
{
    writeFile(tree + "/big/text.txt", textBytes(3 << 20));
    writeFile(tree + "/big/random.bin", randomBytes(3 << 19, 3));
}

int64_t fileSize(const std::string& path) { return int64_t(fs::file_size(path)); }

TEST_F(CompressTest, GzipStreamIsOneMemberAtTheChosenLevel)
{
    addLargeFiles(tree);
    auto plan = Brackwen::planCompression({tree}, false, nullptr);
    ASSERT_TRUE(plan.isSuccess());
    for (int level : {1, 6, 9}) {
        std::string archive = out + "/l" + std::to_string(level) + ".tar.gz";
        int fd = ::open(archive.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        Brackwen::WriterSettings settings{"paxr", "", "", std::nullopt, {Brackwen::StreamCodec::Gzip, level, 4}};
        auto written = Brackwen::writeArchive(fd, plan.value(), settings, {});
        ::close(fd);
        ASSERT_TRUE(written.isSuccess()) << written.error()->stringForKey(ZODArchiverUnderlyingMessageKey);

        const std::string q = shellQuoted(archive);
        EXPECT_EQ(shell("gzip -t " + q).status, 0);
        auto members = Fixtures::python("import zlib\n"
                                        "data = open(" + q + ", 'rb').read()\n"
                                        "d = zlib.decompressobj(31)\n"
                                        "d.decompress(data)\n"
                                        "print(int(d.eof), len(d.unused_data))\n");
        EXPECT_EQ(members.output, "1 0\n") << "level " << level;
        // The level means what it means to gzip: the size stays close to
        // gzip's own at that level.
        auto reference = shell("gzip -dc " + q + " | gzip -" + std::to_string(level) + " | wc -c");
        const double ratio = double(fileSize(archive)) / std::stod(reference.output);
        EXPECT_NEAR(ratio, 1.0, 0.03) << "level " << level;

        std::string extracted = freshFolder("check");
        ASSERT_EQ(shell("tar -xzf " + q + " -C " + shellQuoted(extracted)).status, 0);
        for (const char* name : {"/tree/big/text.txt", "/tree/big/random.bin", "/tree/sub/b.bin"})
            EXPECT_EQ(readFile(extracted + name), readFile(root + name)) << name;
    }
}

// Path -> method, from 7-Zip's technical listing.
std::map<std::string, std::string> zipMethods(const std::string& archive)
{
    std::map<std::string, std::string> methods;
    std::istringstream listing(shell("7zz l -slt " + shellQuoted(archive)).output);
    std::string line, path;
    while (std::getline(listing, line)) {
        if (line.rfind("Path = ", 0) == 0)
            path = line.substr(7);
        else if (line.rfind("Method = ", 0) == 0)
            methods[path] = line.substr(9);
    }
    return methods;
}

TEST_F(CompressTest, ZipStoresWhatDoesNotCompressAndKeepsNamesTimesAndModes)
{
    addLargeFiles(tree);
    writeFile(tree + "/small-random.bin", randomBytes(5000, 9));
    writeFile(tree + "/empty", "");
    fs::create_directories(tree + "/empty-dir");
    const std::string unicode = "/tree/na\xc3\xafve \xe5\x90\x8d.txt";
    writeFile(root + unicode, textBytes(3000));
    ::chmod((tree + "/sub/c.txt").c_str(), 0750);
    const struct timespec times[2] = {{981173106, 0}, {981173106, 0}}; // 2001-02-03
    ::utimensat(AT_FDCWD, (tree + "/a.txt").c_str(), times, AT_SYMLINK_NOFOLLOW);
    const std::map<std::string, std::string> expected = {
        {"tree/big/random.bin", "Store"}, {"tree/small-random.bin", "Store"}, {"tree/sub/b.bin", "Store"},
        {"tree/big/text.txt", "Deflate"}, {"tree/a.txt", "Deflate"}};

    for (int64_t level : {0, 1, 5}) {
        ZODArchiverPreference preference(ZODArchiverPresetZip, std::nullopt);
        preference.setCompressionLevel(level);
        std::string archive = out + "/l" + std::to_string(level) + ".zip";
        auto outcome = compress({tree}, archive, preference);
        ASSERT_TRUE(outcome.success) << outcome.error->localizedDescription();

        auto methods = zipMethods(archive);
        for (const auto& [path, method] : expected)
            EXPECT_EQ(methods[path].substr(0, method.size()), method) << path << " level " << level;
        const std::string q = shellQuoted(archive);
        for (const char* check : {"unzip -tq ", "7zz t ", "bsdtar -tf "}) {
            auto tested = shell(check + q);
            EXPECT_EQ(tested.status, 0) << check << tested.output;
        }

        std::string unzipped = freshFolder("unzipped");
        ASSERT_EQ(shell("unzip -q " + q + " -d " + shellQuoted(unzipped)).status, 0);
        EXPECT_EQ(Fixtures::listTree(unzipped + "/tree"), Fixtures::listTree(tree));
        for (const char* name : {"/tree/big/text.txt", "/tree/big/random.bin", "/tree/sub/b.bin", "/tree/empty"})
            EXPECT_EQ(readFile(unzipped + name), readFile(root + name)) << name;
        EXPECT_EQ(readFile(unzipped + unicode), readFile(root + unicode));
        struct stat st {};
        ASSERT_EQ(::stat((unzipped + "/tree/sub/c.txt").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0750u);
        ASSERT_EQ(::stat((unzipped + "/tree/a.txt").c_str(), &st), 0);
        EXPECT_EQ(st.st_mtim.tv_sec, times[1].tv_sec);
        ASSERT_TRUE(fs::is_symlink(unzipped + "/tree/link"));
        EXPECT_EQ(fs::read_symlink(unzipped + "/tree/link"), "a.txt");

        // libarchive reads it as a stream, and so does the engine's own extraction.
        std::string streamed = freshFolder("streamed");
        ASSERT_EQ(shell("bsdtar -xf - -C " + shellQuoted(streamed) + " < " + q).status, 0);
        EXPECT_EQ(readFile(streamed + "/tree/big/random.bin"), readFile(tree + "/big/random.bin"));
        auto analysis = Fixtures::analyze({archive});
        ASSERT_FALSE(analysis.error) << analysis.error->localizedDescription();
        std::string engine = freshFolder("engine");
        ASSERT_FALSE(Fixtures::extract({archive}, engine, analysis.root));
        EXPECT_EQ(Fixtures::listTree(engine + "/tree"), Fixtures::listTree(tree));
        EXPECT_EQ(readFile(engine + "/tree/big/text.txt"), readFile(tree + "/big/text.txt"));
    }
}

TEST_F(CompressTest, ZipOfMoreThan65535EntriesIsReadable)
{
    // One small file under many names: the entry count is what matters.
    auto plan = Brackwen::planCompression({tree + "/sub/c.txt"}, false, nullptr);
    ASSERT_TRUE(plan.isSuccess());
    const Brackwen::CompressSource file = plan.value().entries.front();
    plan.value().entries.clear();
    for (int i = 0; i < 66000; ++i) {
        plan.value().entries.push_back(file);
        plan.value().entries.back().entryName = "many/f" + std::to_string(i);
    }
    std::string archive = destination(ZODArchiverPresetZip);
    int fd = ::open(archive.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    Brackwen::WriterSettings settings{"zip", "", "", std::nullopt, {Brackwen::StreamCodec::Deflate, 0, 4}};
    auto written = Brackwen::writeArchive(fd, plan.value(), settings, {});
    ::close(fd);
    ASSERT_TRUE(written.isSuccess()) << written.error()->stringForKey(ZODArchiverUnderlyingMessageKey);

    const std::string q = shellQuoted(archive);
    EXPECT_EQ(shell("7zz t " + q).status, 0);
    auto listed = shell("bsdtar -tf " + q + " | wc -l");
    EXPECT_EQ(std::stol(listed.output), 66000);
    EXPECT_EQ(shell("unzip -p " + q + " many/f65999").output, "c\n");
}

} // namespace
