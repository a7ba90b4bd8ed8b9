// A disk that refuses the data: the file-size limit makes every write past
// 64 KiB fail with EFBIG (SIGXFSZ ignored), in this test process only (ctest
// runs each test in its own process) and in the 7zz it starts. Extraction and
// compression must report the failure and leave no half-written file.

#include "tests/Brackwen/ArchiveFixtures.h"
#include "tests/support/EventLoop.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>

using namespace Fixtures;
namespace fs = std::filesystem;

namespace {

constexpr rlim_t kLimit = 64 << 10;

class FileSizeLimit {
public:
    FileSizeLimit()
    {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited{kLimit, saved_.rlim_max};
        active_ = ::setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }
    bool active() const { return active_; }

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
    bool active_ = false;
};

std::string makeSources()
{
    std::string src = makeFolder("src");
    writeFile(src + "/in/small.txt", "small\n");
    writeFile(src + "/in/big.bin", randomBytes(3 << 20, 7));
    // Small enough to be read whole and written by the writer threads.
    writeFile(src + "/in/medium.bin", randomBytes(100 << 10, 8));
    return src;
}

Foundation::ErrorPtr compress(const std::vector<std::string>& items, const std::string& destination, int64_t preset)
{
    struct Outcome {
        bool done = false;
        bool success = false;
        Foundation::ErrorPtr error;
    };
    auto outcome = std::make_shared<Outcome>();
    ZODArchiver::compressItems(
        items, destination, ZODArchiverPreference(preset, std::nullopt), nullptr,
        [outcome](bool success, Foundation::ErrorPtr error, ZODArchiverTaskPtr) {
            outcome->done = true;
            outcome->success = success;
            outcome->error = std::move(error);
        },
        Dispatch::globalQueue(), Dispatch::mainQueue())
        ->resume();
    EXPECT_TRUE(TestSupport::waitUntil([&] { return outcome->done; }, std::chrono::seconds(120)));
    EXPECT_EQ(outcome->success, !outcome->error);
    return outcome->error;
}

bool isWriteFailure(const Foundation::ErrorPtr& error)
{
    return error && (error->code() == ZODArchiverErrorCannotWrite || error->code() == ZODArchiverErrorDiskFull);
}

} // namespace

TEST(WriteFailure, ExtractionPastTheFileSizeLimitFailsAndKeepsNoHalfFile)
{
    std::string src = makeSources();
    struct Case {
        const char* name;
        const char* command;
    } cases[] = {
        {"a.zip", "zip -q -r ../a.zip in"},
        {"a.tar.gz", "tar czf ../a.tar.gz in"},
        {"a.tar.zst", "tar --zstd -cf ../a.tar.zst in"},
        {"a.7z", "7zz a -bd ../a.7z in"},
        // Without the big file: the failure comes from a writer thread.
        {"b.zip", "zip -q ../b.zip in/small.txt in/medium.bin"},
        {"b.tar", "tar cf ../b.tar in/small.txt in/medium.bin"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(run(c.command, src).status, 0);
        std::string archive = TestSupport::scratchDirectory() + "/" + c.name;
        auto analysis = analyze({archive});
        ASSERT_FALSE(analysis.error);
        std::string dest = makeFolder(std::string("dest-") + c.name);

        Foundation::ErrorPtr error;
        {
            FileSizeLimit limit;
            ASSERT_TRUE(limit.active());
            error = extract({archive}, dest, analysis.root);
        }
        ASSERT_TRUE(isWriteFailure(error)) << (error ? std::to_string(error->code()) + " " + error->stringForKey(ZODArchiverUnderlyingMessageKey) : "success");
        // Whatever is there is whole: the small file may have come first.
        for (const auto& path : listTree(dest)) {
            if (path.back() == '/')
                continue;
            ASSERT_TRUE(path == "in/small.txt") << path;
            EXPECT_EQ(readFile(dest + "/" + path), "small\n");
        }
    }
}

TEST(WriteFailure, CompressionPastTheFileSizeLimitFailsAndLeavesNoArchive)
{
    std::string src = makeSources();
    for (int64_t preset : {ZODArchiverPresetZip, ZODArchiverPresetTarGz, ZODArchiverPresetTarZst,
                           ZODArchiverPresetTarXz, ZODArchiverPreset7z, ZODArchiverPresetISO}) {
        SCOPED_TRACE(preset);
        std::string out = makeFolder("out" + std::to_string(preset));
        std::string destination = out + "/a" + ZODArchiverPreference::presetFileExtension(preset);
        Foundation::ErrorPtr error;
        {
            FileSizeLimit limit;
            ASSERT_TRUE(limit.active());
            error = compress({src + "/in"}, destination, preset);
        }
        ASSERT_TRUE(isWriteFailure(error)) << (error ? std::to_string(error->code()) + " " + error->stringForKey(ZODArchiverUnderlyingMessageKey) : "success");
        EXPECT_TRUE(fs::is_empty(out));
    }
}
