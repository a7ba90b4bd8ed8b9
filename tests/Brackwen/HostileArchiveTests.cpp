// Odd and hostile archives made byte by byte (Python's tarfile) or by Info-ZIP:
// every entry that can be written lands once under its own path, nothing is
// left behind, and every failure says why.

#include "Brackwen/EngineErrors.h"
#include "tests/Brackwen/ArchiveFixtures.h"
#include "Platform/Foundation/StringEncoding.h"
#include "tests/support/EventLoop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>

using namespace Fixtures;
namespace fs = std::filesystem;

namespace {

std::string why(const Foundation::ErrorPtr& e)
{
    return e ? std::to_string(e->code()) + " " + e->localizedDescription() : std::string("no error");
}

// A tar written by tarfile from Python statements using f(name, data, mode)
// for files, d(name, mode) for folders and l(name, target, kind) for links.
std::string makeTar(const std::string& dir, const std::string& body)
{
    std::string script = "import tarfile, io\n"
                         "t = tarfile.open('t.tar', 'w', format=tarfile.PAX_FORMAT, encoding='utf-8', errors='surrogateescape')\n"
                         "def f(name, data=b'x', mode=0o644):\n"
                         "    i = tarfile.TarInfo(name); i.size = len(data); i.mode = mode; t.addfile(i, io.BytesIO(data))\n"
                         "def d(name, mode=0o755):\n"
                         "    i = tarfile.TarInfo(name); i.type = tarfile.DIRTYPE; i.mode = mode; t.addfile(i)\n"
                         "def l(name, target, kind=tarfile.LNKTYPE):\n"
                         "    i = tarfile.TarInfo(name); i.type = kind; i.linkname = target; t.addfile(i)\n"
                         "def special(name, kind):\n"
                         "    i = tarfile.TarInfo(name); i.type = kind; i.devmajor = 1; i.devminor = 3; t.addfile(i)\n" +
                         body + "t.close()\n";
    EXPECT_EQ(python(script, dir).status, 0);
    return dir + "/t.tar";
}

} // namespace

TEST(HostileArchive, RepeatedHardLinksLeaveOnlyTheirNames)
{
    struct Case {
        const char* label;
        const char* body;
        std::vector<std::string> expected;
    } cases[] = {
        {"linked twice", "f('a.txt', b'alpha')\nl('b.txt', 'a.txt')\nl('b.txt', 'a.txt')\n", {"a.txt", "b.txt"}},
        {"linked to itself", "f('a.txt', b'alpha')\nl('a.txt', 'a.txt')\n", {"a.txt"}},
        {"in a folder", "f('d/a.txt', b'alpha')\nl('d/b.txt', 'd/a.txt')\nl('d/b.txt', 'd/a.txt')\n",
         {"d/", "d/a.txt", "d/b.txt"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        std::string dir = makeFolder(std::string("links-") + c.label);
        std::string tar = makeTar(dir, c.body);
        auto analysis = analyze({tar});
        ASSERT_FALSE(analysis.error) << why(analysis.error);
        std::string dest = makeFolder(std::string("links-out-") + c.label);
        auto error = extract({tar}, dest, analysis.root);
        EXPECT_FALSE(error) << why(error);
        EXPECT_EQ(listTree(dest), c.expected);
        for (const auto& name : c.expected) {
            if (name.back() != '/') {
                EXPECT_EQ(readFile(dest + "/" + name), "alpha");
            }
        }
    }
}

TEST(HostileArchive, EntriesSharingAPathKeepTheArchiveOrder)
{
    // Small files are written side by side; an entry that reuses a path or
    // links to a file must still see everything before it on disk. Each
    // case repeats so that a write out of order would show.
    struct Case {
        const char* label;
        const char* body;
        int64_t code;
        std::vector<std::pair<std::string, std::string>> expected; // path → content, "-> t" for a link to t
    } cases[] = {
        {"written twice", "for i in range(200):\n    f('n%d' % i, b'first')\n    f('n%d' % i, b'second')\n", 0,
         {{"n0", "second"}, {"n99", "second"}, {"n199", "second"}}},
        {"linked right after", "for i in range(200):\n    f('a/%d' % i, b'alpha')\n    l('b/%d' % i, 'a/%d' % i)\n", 0,
         {{"a/0", "alpha"}, {"b/0", "alpha"}, {"b/199", "alpha"}}},
        {"a link replaces a file and a file a link",
         "for i in range(100):\n    f('s%d' % i, b'x')\n    l('s%d' % i, 'elsewhere', tarfile.SYMTYPE)\n"
         "    l('t%d' % i, 'elsewhere', tarfile.SYMTYPE)\n    f('t%d' % i, b'data')\n",
         0, {{"s0", "-> elsewhere"}, {"s99", "-> elsewhere"}, {"t0", "data"}, {"t99", "data"}}},
        {"a folder where a file is", "for i in range(50):\n    f('x%d' % i, b'file')\n    f('x%d/y' % i, b'inner')\n",
         ZODArchiverErrorUnsafeEntry, {{"x0", "file"}, {"x49", "file"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        std::string dir = makeFolder(std::string("order-") + c.label);
        std::string tar = makeTar(dir, c.body);
        auto analysis = analyze({tar});
        ASSERT_FALSE(analysis.error) << why(analysis.error);
        std::string dest = makeFolder(std::string("order-out-") + c.label);
        auto error = extract({tar}, dest, analysis.root);
        EXPECT_EQ(codeOf(error), c.code) << why(error);
        for (const auto& [path, content] : c.expected) {
            SCOPED_TRACE(path);
            const std::string full = dest + "/" + path;
            if (content.starts_with("-> ")) {
                ASSERT_TRUE(fs::is_symlink(full));
                EXPECT_EQ(fs::read_symlink(full).string(), content.substr(3));
            } else {
                ASSERT_TRUE(fs::is_regular_file(fs::symlink_status(full)));
                EXPECT_EQ(readFile(full), content);
            }
        }
        if (std::string(c.label) == "linked right after") {
            struct stat a {}, b {};
            ASSERT_EQ(::stat((dest + "/a/7").c_str(), &a), 0);
            ASSERT_EQ(::stat((dest + "/b/7").c_str(), &b), 0);
            EXPECT_EQ(a.st_ino, b.st_ino);
        }
    }
}

TEST(HostileArchive, WhatAnEarlierEntryPutInTheWayIsStillAskedAbout)
{
    // In a folder the extraction made, only the archive itself can have put
    // a name in the way; the question must come all the same.
    struct Case {
        const char* label;
        const char* body;
        bool isFolder; // what stays at new/x after the answer "skip"
    } cases[] = {
        {"the same path twice", "f('new/x', b'first')\nf('new/x', b'second')\n", false},
        {"a folder entry, then a file", "d('new/x')\nf('new/x', b'data')\n", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        std::string dir = makeFolder(std::string("asked-") + c.label);
        std::string tar = makeTar(dir, c.body);
        auto analysis = analyze({tar});
        ASSERT_FALSE(analysis.error) << why(analysis.error);
        std::string dest = makeFolder(std::string("asked-out-") + c.label);
        std::atomic<int> asked{0};
        ExtractOptions options;
        options.conflictHandler = [&](const std::string&) {
            ++asked;
            return uint64_t(2); // skip
        };
        auto error = extract({tar}, dest, analysis.root, std::nullopt, options);
        EXPECT_FALSE(error) << why(error);
        EXPECT_EQ(asked, 1);
        if (c.isFolder)
            EXPECT_TRUE(fs::is_directory(dest + "/new/x"));
        else
            EXPECT_EQ(readFile(dest + "/new/x"), "first");
    }
}

TEST(HostileArchive, NamesDifferingOnlyInUndecodableBytesAreAllWritten)
{
    std::string dir = makeFolder("bytes");
    std::string tar = makeTar(dir, "f('bad-\\udcff.txt', b'one')\n"
                                   "f('bad-\\udcfe.txt', b'two')\n"
                                   "f('dir-\\udcff/in.txt', b'three')\n"
                                   "f('dir-\\udcfe/in.txt', b'four')\n");
    auto analysis = analyze({tar});
    ASSERT_FALSE(analysis.error) << why(analysis.error);
    const auto& files = analysis.root->files();
    ASSERT_EQ(files.size(), 2u);
    EXPECT_NE(files[0]->name(), files[1]->name());
    EXPECT_EQ(files[0]->rawName(), "bad-\xff.txt");
    EXPECT_EQ(files[1]->rawName(), "bad-\xfe.txt");
    for (const auto& f : files)
        EXPECT_TRUE(Foundation::isValidUTF8(f->name())) << f->name();

    // The names the tree shows are the names written.
    std::string dest = makeFolder("bytes-out");
    auto error = extract({tar}, dest, analysis.root);
    ASSERT_FALSE(error) << why(error);
    EXPECT_EQ(listTree(dest), listTree(analysis.root));
    EXPECT_EQ(readFile(dest + "/" + files[0]->name()), "one");
    EXPECT_EQ(readFile(dest + "/" + files[1]->name()), "two");
    const auto& dirs = analysis.root->directories();
    ASSERT_EQ(dirs.size(), 2u);
    EXPECT_EQ(readFile(dest + "/" + dirs[0]->name() + "/in.txt"), "three");
    EXPECT_EQ(readFile(dest + "/" + dirs[1]->name() + "/in.txt"), "four");

    // A selection by stored bytes takes exactly that entry.
    std::string one = makeFolder("bytes-one");
    error = extract({tar}, one, analysis.root, std::vector<std::string>{"bad-\xfe.txt"});
    ASSERT_FALSE(error) << why(error);
    EXPECT_EQ(listTree(one), std::vector<std::string>{files[1]->name()});
    EXPECT_EQ(readFile(one + "/" + files[1]->name()), "two");
}

TEST(HostileArchive, OnlySetIdBitsAreDropped)
{
    std::string dir = makeFolder("modes");
    std::string tar = makeTar(dir, "d('shared', 0o1777)\n"
                                   "f('shared/suid', b'x', 0o4755)\n"
                                   "f('shared/sgid', b'x', 0o2750)\n"
                                   "d('group', 0o2775)\n");
    auto analysis = analyze({tar});
    ASSERT_FALSE(analysis.error) << why(analysis.error);
    std::string dest = makeFolder("modes-out");
    ASSERT_FALSE(extract({tar}, dest, analysis.root));
    struct Case {
        const char* path;
        mode_t mode;
    } cases[] = {{"shared", 01777}, {"shared/suid", 0755}, {"shared/sgid", 0750}, {"group", 0775}};
    for (const auto& c : cases) {
        struct stat st {};
        ASSERT_EQ(::stat((dest + "/" + c.path).c_str(), &st), 0) << c.path;
        EXPECT_EQ(st.st_mode & 07777, c.mode) << c.path;
    }
}

TEST(HostileArchive, FailedExtractionRemovesTheFoldersItMadeAndKeepsCompleteFiles)
{
    std::string dir = makeFolder("encrypted");
    writeFile(dir + "/plain/p.txt", "plain");
    writeFile(dir + "/deep/er/s.txt", "secret");
    ASSERT_EQ(run("zip -qr mixed.zip plain && zip -qr -P right mixed.zip deep", dir).status, 0);
    auto analysis = analyze({dir + "/mixed.zip"});
    ASSERT_FALSE(analysis.error) << why(analysis.error);
    struct Case {
        const char* label;
        ExtractOptions options;
        int64_t code;
    } cases[] = {
        {"no passphrase", {}, ZODArchiverErrorPassphraseRequired},
        {"wrong passphrase", {std::string("wrong"), 0, [] { return std::optional<std::string>(); }, nullptr, nullptr},
         ZODArchiverErrorWrongPassphrase},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        std::string dest = makeFolder(std::string("encrypted-out-") + c.label);
        fs::create_directories(dest + "/deep/kept");
        auto error = extract({dir + "/mixed.zip"}, dest, analysis.root, std::nullopt, c.options);
        EXPECT_EQ(codeOf(error), c.code) << why(error);
        EXPECT_EQ(listTree(dest), (std::vector<std::string>{"deep/", "deep/kept/", "plain/", "plain/p.txt"}));
    }
}

TEST(HostileArchive, PipesAndDevicesAreNotMade)
{
    std::string dir = makeFolder("special");
    std::string tar = makeTar(dir, "special('fifo', tarfile.FIFOTYPE)\n"
                                   "special('null', tarfile.CHRTYPE)\n"
                                   "special('disk', tarfile.BLKTYPE)\n"
                                   "f('real.txt', b'real')\n");
    auto analysis = analyze({tar});
    ASSERT_FALSE(analysis.error) << why(analysis.error);
    std::string dest = makeFolder("special-out");
    auto error = extract({tar}, dest, analysis.root);
    EXPECT_FALSE(error) << why(error);
    EXPECT_EQ(listTree(dest), std::vector<std::string>{"real.txt"});
}

TEST(HostileArchive, PlacementFailuresSayWhyAndWhich)
{
    std::string dir = makeFolder("long");
    const std::string longName(4000, 'n');
    std::string tar = makeTar(dir, "f('ok.txt', b'ok')\nf('" + longName + "')\n");
    auto analysis = analyze({tar});
    ASSERT_FALSE(analysis.error) << why(analysis.error);
    std::string dest = makeFolder("long-out");
    auto error = extract({tar}, dest, analysis.root);
    ASSERT_EQ(codeOf(error), ZODArchiverErrorCannotWrite) << why(error);
    EXPECT_NE(error->localizedDescription().find(std::strerror(ENAMETOOLONG)), std::string::npos) << why(error);
    EXPECT_NE(error->localizedDescription().find(longName), std::string::npos);
    EXPECT_EQ(listTree(dest), std::vector<std::string>{"ok.txt"});

    std::string gone = dest + "/missing";
    error = extract({tar}, gone, analysis.root);
    EXPECT_NE(why(error).find("The destination folder does not exist"), std::string::npos) << why(error);
    EXPECT_EQ(why(error).find("archive file"), std::string::npos) << why(error);
    EXPECT_NE(why(error).find(gone), std::string::npos) << why(error);
    EXPECT_FALSE(fs::exists(gone));
}

TEST(HostileArchive, TwoStoredNamesNeverShareOneFile)
{
    // The escaped form of an undecodable name may also be stored as such.
    std::string dir = makeFolder("clash");
    std::string tar = makeTar(dir, "f('bad-%FF.txt', b'first')\nf('bad-\\udcff.txt', b'second')\n");
    auto analysis = analyze({tar});
    ASSERT_FALSE(analysis.error) << why(analysis.error);
    std::string dest = makeFolder("clash-out");
    auto error = extract({tar}, dest, analysis.root);
    EXPECT_EQ(codeOf(error), ZODArchiverErrorCannotWrite) << why(error);
    EXPECT_NE(why(error).find("bad-%FF.txt"), std::string::npos) << why(error);
    EXPECT_EQ(listTree(dest), std::vector<std::string>{"bad-%FF.txt"});
    EXPECT_EQ(readFile(dest + "/bad-%FF.txt"), "first");
}

TEST(EngineErrorText, EveryPlacementErrnoIsNamedWithItsPath)
{
    struct Case {
        int err;
        int64_t code;
    } cases[] = {
        {ENAMETOOLONG, ZODArchiverErrorCannotWrite}, {EROFS, ZODArchiverErrorCannotWrite},
        {EACCES, ZODArchiverErrorCannotWrite},       {EPERM, ZODArchiverErrorCannotWrite},
        {ENOSPC, ZODArchiverErrorDiskFull},          {EDQUOT, ZODArchiverErrorDiskFull},
    };
    for (const auto& c : cases) {
        auto error = Brackwen::errorFromWriteErrno(c.err, "/dest/entry.txt");
        EXPECT_EQ(error->code(), c.code) << c.err;
        const std::string text = error->localizedDescription();
        EXPECT_EQ(text.rfind(ZODArchiverErrorDescription(c.code), 0), 0u) << text;
        EXPECT_NE(text.find(std::strerror(c.err)), std::string::npos) << text;
        EXPECT_NE(text.find("/dest/entry.txt"), std::string::npos) << text;
    }
}
