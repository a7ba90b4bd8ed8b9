#include "Brackwen/SevenZipBackend.h"
#include "Brackwen/SevenZipPlacement.h"
#include "Brackwen/SevenZipProcess.h"
#include "tests/Brackwen/CompressTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Brackwen;
using namespace CompressTest;
namespace fs = std::filesystem;

namespace {

int64_t codeOf(const Foundation::ErrorPtr& e) { return e ? e->code() : 0; }

bool hasStagingLeft(const std::string& folder)
{
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().filename().string().rfind(".kelvora-", 0) == 0)
            return true;
    return false;
}

class SevenZipBackendTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = freshFolder("sz");
        tree = makeTree(root);
    }
    // Made by 7zz itself; a test may name the passphrase on its command line.
    std::string make7z(const std::string& name, const std::string& switches)
    {
        std::string path = root + "/" + name;
        auto r = shell("7zz a -t7z -snl " + switches + " " + shellQuoted(path) + " " + shellQuoted(tree));
        EXPECT_EQ(r.status, 0) << r.output;
        return path;
    }
    std::string root, tree;
    SevenZipControl control;
};

TEST_F(SevenZipBackendTest, ListsEncryptedNamesOnlyWithTheRightPassphrase)
{
    std::string archive = make7z("hdr.7z", "-psecret -mhe=on");

    EXPECT_EQ(codeOf(sevenZipList({archive}, std::nullopt, control).error()), ZODArchiverErrorPassphraseRequired);
    EXPECT_EQ(codeOf(sevenZipList({archive}, "wrong", control).error()), ZODArchiverErrorWrongPassphrase);

    auto listed = sevenZipList({archive}, "secret", control);
    ASSERT_TRUE(listed.isSuccess()) << listed.error()->localizedDescription();
    const auto& l = listed.value();
    EXPECT_EQ(l.type, "7z");
    EXPECT_TRUE(l.headersEncrypted);
    auto find = [&](const std::string& p) {
        return std::find_if(l.entries.begin(), l.entries.end(), [&](auto& e) { return e.path == p; });
    };
    ASSERT_NE(find("tree/sub/b.bin"), l.entries.end());
    EXPECT_EQ(find("tree/sub/b.bin")->size, 200000);
    EXPECT_TRUE(find("tree/sub/b.bin")->isEncrypted);
    ASSERT_NE(find("tree/sub"), l.entries.end());
    EXPECT_TRUE(find("tree/sub")->isDirectory);
    ASSERT_NE(find("tree/link"), l.entries.end());
    EXPECT_TRUE(find("tree/link")->isSymbolicLink);
    EXPECT_GT(find("tree/a.txt")->modificationTime, 1600000000);
}

// 7zz prints local times; they must come back as the files' own, in winter
// and in summer time, with the child told the zone and the engine converting.
TEST_F(SevenZipBackendTest, ListedTimesAreTheFilesOwnInAZoneWithSummerTime)
{
    const time_t winter = 1705320000, summer = 1721044800; // mid-January, mid-July 2024
    for (auto [name, t] : {std::pair{"tree/a.txt", winter}, std::pair{"tree/sub/b.bin", summer}}) {
        timespec times[2] = {{t, 0}, {t, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, (root + "/" + name).c_str(), times, 0), 0);
    }
    std::string archive = make7z("times.7z", "");
    const char* before = std::getenv("TZ");
    const std::optional<std::string> saved = before ? std::optional<std::string>(before) : std::nullopt;
    ::setenv("TZ", "EST5EDT,M3.2.0,M11.1.0", 1);
    ::tzset();
    auto listed = sevenZipList({archive}, std::nullopt, control);
    saved ? ::setenv("TZ", saved->c_str(), 1) : ::unsetenv("TZ");
    ::tzset();
    ASSERT_TRUE(listed.isSuccess());
    auto timeOf = [&](const std::string& p) {
        for (const auto& e : listed.value().entries)
            if (e.path == p)
                return e.modificationTime;
        return int64_t(-1);
    };
    EXPECT_EQ(timeOf("tree/a.txt"), winter);
    EXPECT_EQ(timeOf("tree/sub/b.bin"), summer);
}

TEST_F(SevenZipBackendTest, ExtractsEncryptedDataWithTheRightPassphraseOnly)
{
    std::string archive = make7z("data.7z", "-psecret");
    auto listed = sevenZipList({archive}, std::nullopt, control);
    ASSERT_TRUE(listed.isSuccess());
    EXPECT_FALSE(listed.value().headersEncrypted);

    struct Case {
        std::optional<std::string> passphrase;
        int64_t code;
    } cases[] = {{std::nullopt, ZODArchiverErrorPassphraseRequired}, {"wrong", ZODArchiverErrorWrongPassphrase}};
    for (const auto& c : cases) {
        std::string dest = freshFolder("out-fail");
        auto r = sevenZipExtract({{archive}, dest, c.passphrase, "", {}, nullptr}, control);
        ASSERT_TRUE(r.isFailure());
        EXPECT_EQ(r.error()->code(), c.code);
        EXPECT_FALSE(hasStagingLeft(dest));
        EXPECT_FALSE(fs::exists(dest + "/tree/sub/b.bin"));
    }

    std::string dest = freshFolder("out");
    double lastFraction = -1;
    control.progress = [&](double f) { lastFraction = f; };
    auto r = sevenZipExtract({{archive}, dest, "secret", "", {}, nullptr}, control);
    ASSERT_TRUE(r.isSuccess()) << r.error()->localizedDescription();
    EXPECT_EQ(readFile(dest + "/tree/sub/b.bin"), readFile(tree + "/sub/b.bin"));
    EXPECT_EQ(fs::read_symlink(dest + "/tree/link"), "a.txt");
    EXPECT_FALSE(hasStagingLeft(dest));
    EXPECT_GE(lastFraction, 0.0);
}

TEST_F(SevenZipBackendTest, ExtractsChosenChildrenOfAFolderUnderTheirOwnNames)
{
    std::string archive = make7z("plain.7z", "");
    std::string dest = freshFolder("out");
    auto r = sevenZipExtract({{archive}, dest, std::nullopt, "tree", {"sub", "a.txt"}, nullptr}, control);
    ASSERT_TRUE(r.isSuccess()) << r.error()->localizedDescription();
    EXPECT_EQ(readFile(dest + "/sub/c.txt"), "c\n");
    EXPECT_TRUE(fs::exists(dest + "/a.txt"));
    EXPECT_FALSE(fs::exists(dest + "/tree"));
    EXPECT_FALSE(fs::exists(dest + "/link"));
}

TEST_F(SevenZipBackendTest, NamesThatClimbOutAreRefused)
{
    std::string archive = make7z("plain.7z", "");
    std::string dest = freshFolder("out");
    struct Case {
        const char* folder;
        std::vector<std::string> names;
    } cases[] = {{"tree", {"../tree"}}, {"tree", {"sub/c.txt"}}, {"tree/../..", {}}, {"", {".."}}};
    for (const auto& c : cases) {
        auto r = sevenZipExtract({{archive}, dest, std::nullopt, c.folder, c.names, nullptr}, control);
        ASSERT_TRUE(r.isFailure());
        EXPECT_EQ(r.error()->code(), ZODArchiverErrorUnsafeEntry);
    }
    EXPECT_TRUE(fs::is_empty(dest));
}

TEST_F(SevenZipBackendTest, AsksPerExistingFileAndRemembersAllAnswers)
{
    std::string archive = make7z("plain.7z", "");
    struct Case {
        ArchiverConflictResolving answer;
        int expectedAsks;
        bool replaced;
        int64_t code;
    } cases[] = {
        {ArchiverConflictResolving::replace, 2, true, 0},
        {ArchiverConflictResolving::replaceAll, 1, true, 0},
        {ArchiverConflictResolving::skip, 2, false, 0},
        {ArchiverConflictResolving::skipAll, 1, false, 0},
        {ArchiverConflictResolving::cancel, 1, false, ZODArchiverErrorCancelled},
    };
    for (const auto& c : cases) {
        std::string dest = freshFolder("conflict");
        writeFile(dest + "/tree/a.txt", "old");
        writeFile(dest + "/tree/sub/c.txt", "old");
        int asks = 0;
        auto handler = [&](const std::string&) {
            ++asks;
            return c.answer;
        };
        auto r = sevenZipExtract({{archive}, dest, std::nullopt, "", {}, handler}, control);
        EXPECT_EQ(codeOf(r.isFailure() ? r.error() : nullptr), c.code);
        EXPECT_EQ(asks, c.expectedAsks);
        EXPECT_EQ(readFile(dest + "/tree/sub/c.txt") == "c\n", c.replaced);
        EXPECT_FALSE(hasStagingLeft(dest));
    }
}

TEST_F(SevenZipBackendTest, NeverWritesThroughALinkInTheDestination)
{
    std::string archive = make7z("plain.7z", "");
    std::string outside = freshFolder("outside");
    for (auto answer : {ArchiverConflictResolving::skip, ArchiverConflictResolving::replace}) {
        std::string dest = freshFolder("linked");
        fs::create_symlink(outside, dest + "/tree");
        auto r = sevenZipExtract({{archive}, dest, std::nullopt, "", {},
                                  [&](const std::string&) { return answer; }},
                                 control);
        EXPECT_TRUE(r.isSuccess());
        EXPECT_TRUE(fs::is_empty(outside));
        EXPECT_EQ(fs::is_symlink(dest + "/tree"), answer == ArchiverConflictResolving::skip);
    }
}

TEST_F(SevenZipBackendTest, RefusesLinksLeavingTheDestinationAndPlacesTheRest)
{
    fs::create_symlink("../../../escape", tree + "/sub/up");
    fs::create_symlink("/etc/passwd", tree + "/abs");
    std::string archive = make7z("links.7z", "");
    std::string dest = freshFolder("out");
    auto r = sevenZipExtract({{archive}, dest, std::nullopt, "", {}, nullptr}, control);
    ASSERT_TRUE(r.isFailure());
    EXPECT_EQ(r.error()->code(), ZODArchiverErrorUnsafeEntry);
    EXPECT_FALSE(fs::is_symlink(dest + "/tree/sub/up"));
    EXPECT_FALSE(fs::is_symlink(dest + "/tree/abs"));
    EXPECT_EQ(readFile(dest + "/tree/sub/c.txt"), "c\n");
    EXPECT_TRUE(fs::is_symlink(dest + "/tree/link"));
    EXPECT_EQ(fs::symlink_status(dest + "/tree/sub/up").type(), fs::file_type::not_found);
    EXPECT_EQ(fs::symlink_status(dest + "/tree/abs").type(), fs::file_type::not_found);
}

// safe.txt and dir/ok.txt stored beside "../evil.txt" and an absolute name
// (-spf keeps names as given): the tree shows those two cleaned, and
// selecting by the cleaned names must neither match nothing nor write them.
TEST_F(SevenZipBackendTest, ExtractsSafeEntriesBesideNamesThatClimbOut)
{
    std::string work = root + "/work", outside = root + "/evil.txt";
    writeFile(work + "/safe.txt", "safe\n");
    writeFile(work + "/dir/ok.txt", "ok\n");
    writeFile(outside, "evil\n");
    std::string archive = root + "/climb.7z";
    auto made = shell("cd " + shellQuoted(work) + " && 7zz a -bso0 -spf " + shellQuoted(archive) + " ../evil.txt "
                      + shellQuoted(outside) + " safe.txt dir");
    ASSERT_EQ(made.status, 0) << made.output;
    const std::string absoluteTop = fs::path(outside).relative_path().begin()->string();

    struct Case {
        std::vector<std::string> names;
        int64_t code;
    } cases[] = {
        {{}, ZODArchiverErrorUnsafeEntry},
        {{"safe.txt", "dir", "evil.txt", absoluteTop}, ZODArchiverErrorUnsafeEntry},
        {{"safe.txt", "dir"}, 0},
    };
    for (const auto& c : cases) {
        std::string dest = freshFolder("climb-out");
        auto r = sevenZipExtract({{archive}, dest, std::nullopt, "", c.names, nullptr}, control);
        EXPECT_EQ(codeOf(r.isFailure() ? r.error() : nullptr), c.code)
            << (r.isFailure() ? r.error()->localizedDescription() : "");
        EXPECT_EQ(readFile(dest + "/safe.txt"), "safe\n");
        EXPECT_EQ(readFile(dest + "/dir/ok.txt"), "ok\n");
        std::vector<std::string> placed;
        for (const auto& e : fs::directory_iterator(dest))
            placed.push_back(e.path().filename().string());
        std::sort(placed.begin(), placed.end());
        EXPECT_EQ(placed, (std::vector<std::string>{"dir", "safe.txt"}));
        EXPECT_EQ(readFile(outside), "evil\n");
        EXPECT_FALSE(fs::exists(fs::path(dest).parent_path() / "evil.txt"));
    }

    // The same through the engine, with every entry the tree shows.
    auto analysis = Fixtures::analyze({archive});
    ASSERT_FALSE(analysis.error) << analysis.error->localizedDescription();
    std::string dest = freshFolder("climb-engine");
    auto error = Fixtures::extract({archive}, dest, analysis.root);
    EXPECT_EQ(codeOf(error), ZODArchiverErrorUnsafeEntry);
    EXPECT_EQ(readFile(dest + "/safe.txt"), "safe\n");
    EXPECT_EQ(readFile(dest + "/dir/ok.txt"), "ok\n");
    EXPECT_FALSE(fs::exists(dest + "/evil.txt"));
}

// More top-level names than fit on one command line (long names keep the
// archive small).
TEST_F(SevenZipBackendTest, ExtractsManyChosenTopLevelEntries)
{
    std::string many = freshFolder("many-src");
    std::vector<std::string> names;
    for (int i = 0; i < 10000; ++i) {
        names.push_back(std::to_string(i) + "-" + std::string(230, 'n'));
        int fd = ::open((many + "/" + names.back()).c_str(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }
    std::string archive = root + "/many.7z";
    auto made = shell("cd " + shellQuoted(many) + " && 7zz a -bso0 -bsp0 " + shellQuoted(archive) + " .");
    ASSERT_EQ(made.status, 0) << made.output;
    fs::remove_all(many);

    // All of them, and all but one (what is not chosen stays out).
    for (size_t chosen : {names.size(), names.size() - 1}) {
        std::string dest = freshFolder("many-out");
        std::vector<std::string> some(names.begin(), names.begin() + std::ptrdiff_t(chosen));
        auto r = sevenZipExtract({{archive}, dest, std::nullopt, "", some, nullptr}, control);
        ASSERT_TRUE(r.isSuccess()) << r.error()->localizedDescription();
        size_t placed = 0;
        for (const auto& e : fs::directory_iterator(dest))
            placed += e.is_regular_file();
        EXPECT_EQ(placed, chosen);
        EXPECT_EQ(fs::exists(dest + "/" + names.back()), chosen == names.size());
    }
}

// A relative link that stays inside is made, whatever 7zz's own rule says;
// one that leaves is refused and leaves nothing in its place.
TEST_F(SevenZipBackendTest, LinksAreJudgedByWhereTheyLead)
{
    std::string src = freshFolder("links-src");
    writeFile(src + "/target.txt", "target\n");
    writeFile(src + "/dir/plain.txt", "plain\n");
    fs::create_symlink("../target.txt", src + "/dir/link-up.txt");
    fs::create_symlink("../../outside.txt", src + "/dir/leaves.txt");
    std::string archive = root + "/links.7z";
    auto made = shell("cd " + shellQuoted(src) + " && 7zz a -bso0 -snl " + shellQuoted(archive) + " target.txt dir");
    ASSERT_EQ(made.status, 0) << made.output;

    for (const std::vector<std::string>& names : {std::vector<std::string>{}, std::vector<std::string>{"dir"}}) {
        std::string dest = freshFolder("links-out");
        auto r = sevenZipExtract({{archive}, dest, std::nullopt, "", names, nullptr}, control);
        ASSERT_TRUE(r.isFailure());
        EXPECT_EQ(r.error()->code(), ZODArchiverErrorUnsafeEntry);
        EXPECT_EQ(fs::read_symlink(dest + "/dir/link-up.txt"), "../target.txt");
        EXPECT_EQ(readFile(dest + "/dir/plain.txt"), "plain\n");
        EXPECT_EQ(readFile(dest + "/dir/link-up.txt"), names.empty() ? "target\n" : "");
        EXPECT_EQ(fs::symlink_status(dest + "/dir/leaves.txt").type(), fs::file_type::not_found);
        EXPECT_FALSE(hasStagingLeft(dest));
    }
}

// The program is there but cannot be run: its errno says why, it is not
// reported as missing.
TEST_F(SevenZipBackendTest, ProgramThatCannotStartIsReportedWithItsReason)
{
    std::string notExecutable = root + "/7zz";
    writeFile(notExecutable, "not a program");
    ::chmod(notExecutable.c_str(), 0644);
    ::setenv("KELVORA_7ZZ", notExecutable.c_str(), 1);
    auto listed = sevenZipList({root + "/x.7z"}, std::nullopt, control);
    ::unsetenv("KELVORA_7ZZ");
    ASSERT_TRUE(listed.isFailure());
    EXPECT_NE(listed.error()->code(), ZODArchiverErrorBackendMissing);
    EXPECT_NE(listed.error()->localizedDescription().find(std::strerror(EACCES)), std::string::npos)
        << listed.error()->localizedDescription();
}

// The start time the kernel gives a process, in clock ticks since boot.
std::string startTimeOf(pid_t pid)
{
    std::string stat = readFile("/proc/" + std::to_string(pid) + "/stat");
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i) {
    }
    return field;
}

pid_t endedProcess()
{
    pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return pid;
}

// Work folders left by a run that was killed: removed by the next
// extraction into the same folder once their owner is gone, never while it
// lives, and never when they are not plainly ours.
TEST_F(SevenZipBackendTest, LeftoversOfEndedRunsAreRemovedByTheNextExtraction)
{
    std::string archive = make7z("plain.7z", "");
    std::string dest = freshFolder("leftovers");
    const std::string self = std::to_string(::getpid()), started = startTimeOf(::getpid());
    const std::string dead = std::to_string(endedProcess());
    struct Case {
        std::string name;
        bool removed;
    } cases[] = {
        {".kelvora-staging." + dead + "." + started + ".a1b2c3", true},
        {".kelvora-archive." + dead + ".12345.a1b2c3", true},
        {".kelvora-staging." + self + "." + started + ".a1b2c3", false},
        {".kelvora-staging." + self + ".1.a1b2c3", true}, // the pid is reused
        {".kelvora-staging-a1b2c3", false},              // no owner to ask
        {".kelvora-note." + dead, false},
    };
    for (const auto& c : cases)
        writeFile(dest + "/" + c.name + "/out/partial.bin", "partial");
    std::string outside = freshFolder("leftover-outside");
    writeFile(outside + "/keep.txt", "keep");
    const std::string linked = ".kelvora-staging." + dead + ".1.linked";
    fs::create_symlink(outside, dest + "/" + linked);

    auto r = sevenZipExtract({{archive}, dest, std::nullopt, "", {}, nullptr}, control);
    ASSERT_TRUE(r.isSuccess()) << r.error()->localizedDescription();
    for (const auto& c : cases)
        EXPECT_EQ(fs::exists(dest + "/" + c.name), !c.removed) << c.name;
    EXPECT_TRUE(fs::is_symlink(dest + "/" + linked));
    EXPECT_EQ(readFile(outside + "/keep.txt"), "keep");
    EXPECT_EQ(readFile(dest + "/tree/sub/c.txt"), "c\n");
}

// Cancelled while 7zz writes: nothing is left in the destination.
TEST_F(SevenZipBackendTest, CancelMidwayLeavesNoStaging)
{
    writeFile(tree + "/big.bin", randomBytes(48 << 20, 5));
    std::string archive = make7z("big.7z", "-mx0");
    std::string dest = freshFolder("cancel-midway");
    std::atomic<bool> running{false};
    bool stagingSeen = false;
    control.progress = [&](double) { running = true; };
    control.isCancelled = [&] {
        if (running && !stagingSeen)
            stagingSeen = hasStagingLeft(dest);
        return running && stagingSeen;
    };
    auto r = sevenZipExtract({{archive}, dest, std::nullopt, "", {}, nullptr}, control);
    ASSERT_TRUE(r.isFailure());
    EXPECT_EQ(r.error()->code(), ZODArchiverErrorCancelled);
    EXPECT_TRUE(stagingSeen);
    EXPECT_TRUE(fs::is_empty(dest));
}

TEST(SevenZipPlacementRule, LinkTargetsMustStayInside)
{
    struct Case {
        const char* at;
        const char* target;
        bool inside;
    } cases[] = {
        {"tree/link", "a.txt", true},       {"tree/link", "../other", true},
        {"tree/link", "../../x", false},    {"link", "../x", false},
        {"tree/sub/l", "./../../y", true},  {"tree/l", "/etc/passwd", false},
        {"tree/l", "a/../../../x", false},  {"tree/l", "", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(linkStaysInside(c.at, c.target), c.inside) << c.at << " -> " << c.target;
}

TEST(SevenZipPlacementRule, DropsSetIdBitsAndReplacesWhateverIsInTheWay)
{
    std::string staging = freshFolder("place-staging"), dest = freshFolder("place-dest");
    writeFile(staging + "/tool", "new tool");
    ::chmod((staging + "/tool").c_str(), 06755);
    writeFile(staging + "/was-folder", "file now");
    writeFile(staging + "/was-file/inside.txt", "inside");
    writeFile(dest + "/tool", "old tool");
    writeFile(dest + "/was-folder/old.txt", "old");
    writeFile(dest + "/was-file", "old");
    // A folder nothing is in the way of moves whole: what is inside it must
    // still be vetted, and taking a refused link out keeps the folder's time.
    writeFile(staging + "/fresh/sub/deep-tool", "deep");
    ::chmod((staging + "/fresh/sub/deep-tool").c_str(), 04755);
    ::chmod((staging + "/fresh/sub").c_str(), 02755);
    fs::create_symlink("../../../outside", staging + "/fresh/sub/out");
    timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    ::utimensat(AT_FDCWD, (staging + "/fresh/sub").c_str(), old, 0);

    SevenZipPlacement placement(dest, [](const std::string&) { return ArchiverConflictResolving::replaceAll; }, nullptr);
    for (const char* name : {"tool", "was-folder", "was-file", "fresh"})
        ASSERT_FALSE(placement.place(staging + "/" + name, name)) << name;

    EXPECT_EQ(readFile(dest + "/tool"), "new tool");
    EXPECT_EQ(fs::status(dest + "/tool").permissions(), fs::perms(0755));
    EXPECT_EQ(readFile(dest + "/was-folder"), "file now");
    EXPECT_EQ(readFile(dest + "/was-file/inside.txt"), "inside");
    EXPECT_EQ(readFile(dest + "/fresh/sub/deep-tool"), "deep");
    EXPECT_EQ(fs::status(dest + "/fresh/sub/deep-tool").permissions(), fs::perms(0755));
    struct stat sub;
    ASSERT_EQ(::stat((dest + "/fresh/sub").c_str(), &sub), 0);
    EXPECT_EQ(sub.st_mode & 07777, 0755u);
    EXPECT_EQ(sub.st_mtim.tv_sec, 1000000000);
    EXPECT_FALSE(fs::is_symlink(dest + "/fresh/sub/out"));
    EXPECT_EQ(placement.refusedLinks(), std::vector<std::string>{"fresh/sub/out"});
}

TEST(SevenZipProgress, ReadsPercentagesAcrossChunks)
{
    SevenZipProgressParser parser;
    EXPECT_EQ(parser.feed("  0M Scan\b\b\b\b   0%\b\b\b\b"), 0.0);
    EXPECT_FALSE(parser.feed("  4"));
    EXPECT_EQ(parser.feed("2% + big\b\b 51% 1 - x"), 0.51);
    EXPECT_FALSE(parser.feed("1234% 99 files"));
}

TEST_F(SevenZipBackendTest, WritesEncryptedNamesAndLeavesOutHiddenFiles)
{
    std::string archive = root + "/out.7z";
    auto r = sevenZipCompress({{tree}, archive, 1, "pw", true, true}, control);
    ASSERT_TRUE(r.isSuccess()) << r.error()->localizedDescription();
    auto listing = shell("7zz l -slt -ppw " + shellQuoted(archive));
    EXPECT_EQ(listing.status, 0) << listing.output;
    EXPECT_NE(listing.output.find("Path = tree/sub/b.bin"), std::string::npos);
    EXPECT_EQ(listing.output.find(".hidden"), std::string::npos);
    EXPECT_EQ(listing.output.find(".hdir"), std::string::npos);
    EXPECT_NE(shell("7zz l " + shellQuoted(archive) + " </dev/null").status, 0); // names need the passphrase
}

// More items than fit on one command line.
TEST_F(SevenZipBackendTest, WritesManyItems)
{
    std::string many = freshFolder("many-items");
    std::vector<std::string> items;
    for (int i = 0; i < 10000; ++i) {
        items.push_back(many + "/" + std::to_string(i) + "-" + std::string(200, 'i'));
        int fd = ::open(items.back().c_str(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }
    std::string archive = root + "/many.7z";
    auto r = sevenZipCompress({items, archive, 1, std::nullopt, false, false}, control);
    ASSERT_TRUE(r.isSuccess()) << r.error()->localizedDescription();
    auto listing = shell("7zz l -ba " + shellQuoted(archive) + " | wc -l");
    EXPECT_EQ(std::atoi(listing.output.c_str()), 10000) << listing.output;
}

TEST_F(SevenZipBackendTest, MissingProgramIsReported)
{
    ::setenv("KELVORA_7ZZ", "/nonexistent/7zz", 1);
    EXPECT_EQ(sevenZipProgram(), "");
    EXPECT_EQ(codeOf(sevenZipList({root + "/x.7z"}, std::nullopt, control).error()), ZODArchiverErrorBackendMissing);
    EXPECT_EQ(codeOf(sevenZipExtract({{root + "/x.7z"}, root, std::nullopt, "", {}, nullptr}, control).error()),
              ZODArchiverErrorBackendMissing);
    EXPECT_EQ(codeOf(sevenZipCompress({{tree}, root + "/x.7z", 5, std::nullopt, false, false}, control).error()), ZODArchiverErrorBackendMissing);
    ::unsetenv("KELVORA_7ZZ");
}

TEST_F(SevenZipBackendTest, CancelEndsTheProcessAndLeavesNoStaging)
{
    std::string archive = make7z("plain.7z", "");
    std::string dest = freshFolder("out");
    control.isCancelled = [] { return true; };
    auto r = sevenZipExtract({{archive}, dest, std::nullopt, "", {}, nullptr}, control);
    ASSERT_TRUE(r.isFailure());
    EXPECT_EQ(r.error()->code(), ZODArchiverErrorCancelled);
    EXPECT_TRUE(fs::is_empty(dest));
}

} // namespace
