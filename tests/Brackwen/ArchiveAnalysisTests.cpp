#include "tests/Brackwen/ArchiveFixtures.h"
#include "Platform/Foundation/StringEncoding.h"
#include "tests/support/EventLoop.h"

#include "Brackwen/EntryKinds.h"

#include <QMimeDatabase>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <set>
#include <thread>

using namespace Fixtures;
namespace fs = std::filesystem;

namespace {

// nested/, an empty folder, Unicode and leading-dot names.
std::string makeSourceTree()
{
    std::string root = makeFolder("source");
    writeFile(root + "/top.txt", "top\n");
    writeFile(root + "/nested/deeper/leaf.txt", std::string(5000, 'x'));
    writeFile(root + "/nested/.hidden", "h");
    writeFile(root + "/Ünïcødé 日本.txt", "u");
    fs::create_directories(root + "/empty");
    return root;
}

} // namespace

TEST(ArchiveAnalysis, ListingMatchesTheProducersTree)
{
    std::string source = makeSourceTree();
    std::string out = makeFolder("archives");
    struct Producer {
        const char* name;
        std::string command;
    } producers[] = {
        {"a.zip", "zip -qr " + Fixtures::quoted(out + "/a.zip") + " ."},
        {"a.7z", "7zz a -bd -bso0 " + Fixtures::quoted(out + "/a.7z") + " ."},
        {"a.tar.gz", "tar czf " + Fixtures::quoted(out + "/a.tar.gz") + " ."},
        {"a.tar.xz", "tar cJf " + Fixtures::quoted(out + "/a.tar.xz") + " ."},
    };
    const auto expected = listTree(source);
    for (const auto& p : producers) {
        SCOPED_TRACE(p.name);
        ASSERT_EQ(run(p.command, source).status, 0);
        auto analysis = analyze({out + "/" + p.name});
        ASSERT_FALSE(analysis.error) << analysis.error->stringForKey(ZODArchiverUnderlyingMessageKey);
        EXPECT_EQ(listTree(analysis.root), expected);
        EXPECT_EQ(analysis.root->itemCount(), static_cast<int64_t>(expected.size()));
        EXPECT_EQ(analysis.root->size(), 4 + 5000 + 1 + 1);
        EXPECT_TRUE(analysis.root->isRoot());
        for (const auto& d : analysis.root->directories())
            if (d->name() == "nested") {
                EXPECT_EQ(d->size(), 5001);
                EXPECT_EQ(d->itemCount(), 3);
                EXPECT_TRUE(d->modificationTime().has_value());
            }
    }
}

TEST(ArchiveAnalysis, ImpliedFoldersAreMadeAndKindsShared)
{
    std::string dir = makeFolder("implied");
    writeFile(dir + "/x/y/one.txt", "1");
    writeFile(dir + "/x/y/two.txt", "22");
    // "x/" appears twice after the files that implied it; it stays one folder.
    ASSERT_EQ(run("tar cf implied.tar --no-recursion x/y/one.txt x/y/two.txt x x", dir).status, 0);
    auto analysis = analyze({dir + "/implied.tar"});
    ASSERT_FALSE(analysis.error);
    EXPECT_EQ(listTree(analysis.root), (std::vector<std::string>{"x/", "x/y/", "x/y/one.txt", "x/y/two.txt"}));
    auto y = analysis.root->directories().at(0)->directories().at(0);
    EXPECT_EQ(y->size(), 3);
    EXPECT_EQ(&y->files()[0]->typeDescription(), &y->files()[1]->typeDescription());
    EXPECT_FALSE(y->files()[0]->typeDescription().empty());
}

TEST(ArchiveAnalysis, NamesThatAreNotUTF8AreDecodedWithTheAnsweredEncoding)
{
    struct Case {
        const char* codec;
        uint64_t encoding;
        std::vector<std::string> names;
    } cases[] = {
        {"cp932", Foundation::Encoding::ShiftJIS, {"日本語テキスト.txt", "フォルダ/表.txt"}},
        {"cp437", Foundation::Encoding::DOSLatinUS, {"Ärger_ñ.txt", "Über/ü.txt"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.codec);
        std::string dir = makeFolder(std::string("enc-") + c.codec);
        std::string script = "import tarfile, io\n"
                             "t = tarfile.open('names.tar', 'w', format=tarfile.GNU_FORMAT, encoding='" +
                             std::string(c.codec) + "')\n";
        for (const auto& n : c.names)
            script += "i = tarfile.TarInfo('" + n + "'); i.size = 1; t.addfile(i, io.BytesIO(b'x'))\n";
        script += "t.close()\n";
        ASSERT_EQ(python(script, dir).status, 0);
        std::atomic<int> asked{0};
        std::string firstRaw;
        auto analysis = analyze({dir + "/names.tar"}, nullptr, [&](const char* raw) {
            asked++;
            firstRaw = raw;
            return c.encoding;
        });
        ASSERT_FALSE(analysis.error);
        EXPECT_EQ(asked, 1);
        EXPECT_FALSE(Foundation::isValidUTF8(firstRaw));
        std::vector<std::string> expected;
        for (const auto& n : c.names) {
            expected.push_back(n);
            if (auto slash = n.find('/'); slash != std::string::npos)
                expected.push_back(n.substr(0, slash + 1));
        }
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(listTree(analysis.root), expected);
        // The raw bytes stay the identity.
        EXPECT_NE(analysis.root->files().at(0)->rawName(), analysis.root->files().at(0)->name());
    }
}

TEST(ArchiveAnalysis, VolumesAreReadInOrderAsOneArchive)
{
    std::string dir = makeFolder("volumes");
    writeFile(dir + "/src/big.bin", randomBytes(300000));
    writeFile(dir + "/src/small.txt", "small");
    ASSERT_EQ(run("zip -qr -s 100k split.zip src", dir).status, 0);
    ASSERT_EQ(run("7zz a -bd -bso0 -v100k v.7z src", dir).status, 0);
    ASSERT_EQ(run("tar czf - src | split -b 100k - part_", dir).status, 0);
    // Blocks that xz's threads wrote apart, decoded side by side.
    ASSERT_EQ(run("tar cf - src | xz -T4 --block-size=65536 | split -b 100k - xzpart_", dir).status, 0);
    const std::vector<std::string> expected{"src/", "src/big.bin", "src/small.txt"};
    auto volumesOf = [&](const std::string& prefix, const std::string& last) {
        std::vector<std::string> found;
        for (const auto& e : std::filesystem::directory_iterator(dir))
            if (e.path().filename().string().starts_with(prefix) && e.path().filename() != last)
                found.push_back(e.path().string());
        std::sort(found.begin(), found.end());
        if (!last.empty())
            found.push_back(dir + "/" + last);
        return found;
    };
    const std::vector<std::vector<std::string>> sets{volumesOf("split.z", "split.zip"), volumesOf("v.7z.", ""),
                                                     volumesOf("part_", ""), volumesOf("xzpart_", "")};
    for (const auto& volumes : sets)
        ASSERT_GE(volumes.size(), 3u);
    for (const auto& volumes : sets) {
        SCOPED_TRACE(volumes.front());
        auto analysis = analyze(volumes);
        ASSERT_FALSE(analysis.error) << analysis.error->stringForKey(ZODArchiverUnderlyingMessageKey);
        EXPECT_EQ(listTree(analysis.root), expected);
        std::string dest = makeFolder("volumes-out");
        auto error = extract(volumes, dest, analysis.root);
        ASSERT_FALSE(error) << error->code() << " " << error->stringForKey(ZODArchiverUnderlyingMessageKey) << " " << error->stringForKey(Foundation::NSFilePathErrorKey);
        EXPECT_EQ(readFile(dest + "/src/big.bin"), randomBytes(300000));
    }
    // The 7z header sits in the last volume.
    auto sevenZip = sets[1];
    sevenZip.pop_back();
    auto missing = analyze(sevenZip);
    EXPECT_EQ(codeOf(missing.error), ZODArchiverErrorUnexpectedEnd);
    auto notThere = analyze({dir + "/v.7z.001", dir + "/v.7z.009"});
    EXPECT_EQ(codeOf(notThere.error), ZODArchiverErrorFileNotFound);
    EXPECT_EQ(notThere.error->stringForKey(Foundation::NSFilePathErrorKey), dir + "/v.7z.009");
}

TEST(ArchiveAnalysis, BadInputsGiveClearErrors)
{
    std::string dir = makeFolder("bad");
    writeFile(dir + "/zero.zip", "");
    writeFile(dir + "/random.zip", randomBytes(4096, 3));
    writeFile(dir + "/dl.zip", "Forbidden\n"); // a failed download: text, not an archive
    writeFile(dir + "/src/data.bin", randomBytes(200000, 4));
    ASSERT_EQ(run("tar czf full.tgz src && head -c 60000 full.tgz > truncated.tgz", dir).status, 0);
    ASSERT_EQ(run("tar cf - src | xz -T2 --block-size=65536 > full.txz && head -c 100000 full.txz > truncated.txz"
                  " && cp full.txz damaged.txz && printf 'XXXX' | dd of=damaged.txz bs=1 seek=2000 conv=notrunc"
                  " 2>/dev/null",
                  dir).status,
              0);
    // Cut or damaged early, and past the first megabyte decoded; the tar is
    // the same every time, so that the damage meets the same bits.
    writeFile(dir + "/big/data.bin", randomBytes(2 << 20, 6));
    ASSERT_EQ(run("base64 big/data.bin > big/data.txt && tar cf full.tar --mtime=@1700000000 --mode=0644"
                  " --owner=0 --group=0 --numeric-owner big/data.txt",
                  dir).status,
              0);
    for (const std::string tool : {"bzip2", "zstd"})
        ASSERT_EQ(run(tool + " -c full.tar > full.tar." + tool + " && for at in 60000 1500000; do head -c $at full.tar."
                          + tool + " > cut$at.tar." + tool + " && cp full.tar." + tool + " damaged$at.tar." + tool
                          + " && printf XXXXXXXX | dd of=damaged$at.tar." + tool
                          + " bs=1 seek=$at conv=notrunc 2>/dev/null; done",
                      dir).status,
                  0);
    struct Case {
        const char* name;
        int64_t code;
    } cases[] = {
        {"cut60000.tar.bzip2", ZODArchiverErrorUnexpectedEnd},
        {"cut1500000.tar.bzip2", ZODArchiverErrorUnexpectedEnd},
        {"damaged60000.tar.bzip2", ZODArchiverErrorDamaged},
        // Damage that libarchive's filter takes for the end of the stream
        // leaves the archive in it cut short.
        {"damaged1500000.tar.bzip2", ZODArchiverErrorUnexpectedEnd},
        {"cut60000.tar.zstd", ZODArchiverErrorUnexpectedEnd},
        {"cut1500000.tar.zstd", ZODArchiverErrorUnexpectedEnd},
        {"damaged60000.tar.zstd", ZODArchiverErrorUnexpectedEnd},
        {"damaged1500000.tar.zstd", ZODArchiverErrorUnexpectedEnd},
        {"zero.zip", ZODArchiverErrorUnsupportedFormat},
        {"random.zip", ZODArchiverErrorUnsupportedFormat},
        {"dl.zip", ZODArchiverErrorUnsupportedFormat},
        {"truncated.tgz", ZODArchiverErrorUnexpectedEnd},
        {"truncated.txz", ZODArchiverErrorUnexpectedEnd},
        // Damage in the first block is met while the format is being told.
        {"damaged.txz", ZODArchiverErrorDamaged},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto analysis = analyze({dir + "/" + c.name});
        EXPECT_FALSE(analysis.root);
        EXPECT_EQ(codeOf(analysis.error), c.code) << analysis.error->stringForKey(ZODArchiverUnderlyingMessageKey);
    }
}

TEST(ArchiveAnalysis, EveryArchiveFormatWrittenByAnIndependentToolOpens)
{
    std::string dir = makeFolder("formats");
    writeFile(dir + "/a.txt", "hello\n");
    struct Case {
        const char* name;
        const char* command;
    } cases[] = {
        {"x.cpio", "bsdtar --format newc -cf x.cpio a.txt"},
        {"x.odc.cpio", "bsdtar --format odc -cf x.odc.cpio a.txt"},
        {"x.iso", "bsdtar --format iso9660 -cf x.iso a.txt"},
        {"x.xar", "bsdtar --format xar -cf x.xar a.txt"},
        {"x.a", "ar rc x.a a.txt"},
        {"x.tar", "tar cf x.tar a.txt"},
        {"x.tar.bz2", "tar cjf x.tar.bz2 a.txt"},
        {"x.zip", "zip -q x.zip a.txt"},
        {"x.7z", "7zz a -bd -bso0 x.7z a.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(run(c.command, dir).status, 0);
        auto analysis = analyze({dir + "/" + c.name});
        ASSERT_FALSE(analysis.error) << analysis.error->stringForKey(ZODArchiverUnderlyingMessageKey);
        EXPECT_EQ(listTree(analysis.root), std::vector<std::string>{"a.txt"});
    }
}

TEST(ArchiveAnalysis, SingleCompressedFileIsOneEntryWithoutItsExtension)
{
    std::string dir = makeFolder("single");
    writeFile(dir + "/notes.txt", std::string(70000, 'n'));
    ASSERT_EQ(run("gzip -k notes.txt && xz -k notes.txt", dir).status, 0);
    for (const char* name : {"notes.txt.gz", "notes.txt.xz"}) {
        SCOPED_TRACE(name);
        auto analysis = analyze({dir + "/" + name});
        ASSERT_FALSE(analysis.error);
        ASSERT_EQ(analysis.root->files().size(), 1u);
        EXPECT_EQ(analysis.root->files()[0]->name(), "notes.txt");
        EXPECT_EQ(analysis.root->files()[0]->size(), 70000);
    }
}

TEST(ArchiveAnalysis, HeaderEncrypted7zAsksForThePassphraseUntilRight)
{
    std::string dir = makeFolder("hdrenc");
    writeFile(dir + "/in/secret.txt", "s");
    ASSERT_EQ(run("7zz a -bd -bso0 -psecret -mhe=on h.7z in", dir).status, 0);
    std::vector<std::string> answers{"wrong", "secret"};
    std::atomic<size_t> asked{0};
    auto analysis = analyze({dir + "/h.7z"}, [&]() -> std::optional<std::string> { return answers.at(asked++); });
    ASSERT_FALSE(analysis.error) << analysis.error->stringForKey(ZODArchiverUnderlyingMessageKey);
    EXPECT_EQ(asked, 2u);
    EXPECT_EQ(listTree(analysis.root), (std::vector<std::string>{"in/", "in/secret.txt"}));
    auto declined = analyze({dir + "/h.7z"}, [] { return std::optional<std::string>(); });
    EXPECT_EQ(codeOf(declined.error), ZODArchiverErrorPassphraseRequired);
}

TEST(ArchiveAnalysis, CancelWhileTheEncodingQuestionIsOpen)
{
    std::string dir = makeFolder("cancel");
    ASSERT_EQ(python("import tarfile, io\nt = tarfile.open('n.tar', 'w', format=tarfile.GNU_FORMAT, encoding='cp437')\n"
                     "i = tarfile.TarInfo('\\u00c4.txt'); i.size = 0; t.addfile(i)\nt.close()\n",
                     dir)
                  .status,
              0);
    auto release = std::make_shared<std::atomic<bool>>(false);
    std::atomic<bool> asked{false}, done{false};
    Foundation::ErrorPtr error;
    auto task = ZODArchiver::analyzeArchiveInPaths(
        {dir + "/n.tar"}, nullptr,
        [&, release](const char*) {
            asked = true;
            while (!release->load())
                std::this_thread::yield();
            return uint64_t(0);
        },
        [&](ZODArchiveDirectoryPtr, Foundation::ErrorPtr e, ZODArchiverTaskPtr) {
            error = e;
            done = true;
        },
        Dispatch::globalQueue(), Dispatch::mainQueue());
    task->resume();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return asked.load(); }));
    task->cancel();
    ASSERT_TRUE(TestSupport::waitUntil([&] { return done.load(); }));
    EXPECT_EQ(codeOf(error), ZODArchiverErrorCancelled);
    release->store(true);
}

TEST(ArchiveAnalysis, KindsOfNamesWithoutAnExtensionMatchTheMimeDatabase)
{
    const QMimeDatabase database;
    for (const char* name : {"Makefile", "makefile", "makefile2", "GNUmakefile", "README", "ReadMe-first", "README.md",
                             "core", "notes~", "log,v", "n12345", "e0000001", "a.tar.gz"}) {
        const auto expected =
            database.mimeTypeForFile(QString("dir/") + name, QMimeDatabase::MatchExtension).comment().toStdString();
        EXPECT_EQ(*Brackwen::kindOfFile(name), expected) << name;
    }
}

TEST(ArchiveAnalysis, Globs2HoldsTheDotlessGlobsOfTheMimeDatabase)
{
    std::vector<std::string> files;
    for (const auto& dir : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        files.push_back((dir + "/mime/globs2").toStdString());
    auto fromGlobs2 = Brackwen::dotlessGlobsInGlobs2(files);
    if (!fromGlobs2)
        GTEST_SKIP() << "no globs2: Qt's built-in database is in use";
    std::set<std::string> expected;
    for (const auto& type : QMimeDatabase().allMimeTypes())
        for (const auto& pattern : type.globPatterns())
            if (!pattern.contains('.'))
                expected.insert(pattern.toLower().toStdString());
    // globs2 holds case-insensitive globs lower-cased; names are matched lower-cased.
    EXPECT_EQ(std::set<std::string>(fromGlobs2->begin(), fromGlobs2->end()), expected);
}

TEST(ArchiveAnalysis, Globs2ClearedGlobsGiveWayToTheMoreImportantFile)
{
    std::string home = makeFolder("home-mime");
    std::string system = makeFolder("system-mime");
    writeFile(home + "/globs2",
              "# comment:x-test/comment:commented\n"
              "50:text/x-makefile:__NOGLOBS__\n"
              "50:text/x-makefile:buildfile\n");
    writeFile(system + "/globs2",
              "50:text/x-makefile:makefile\n"
              "50:application/x-core:core:cs\n"
              "10:text/x-readme:readme*\n"
              "50:application/x-trash:*~\n"
              "80:text/html:*.html\n"
              "malformed line\n");
    auto globs = Brackwen::dotlessGlobsInGlobs2({home + "/globs2", home + "/absent", system + "/globs2"});
    ASSERT_TRUE(globs);
    EXPECT_EQ(std::set<std::string>(globs->begin(), globs->end()),
              (std::set<std::string>{"buildfile", "core", "readme*", "*~"}));
    EXPECT_FALSE(Brackwen::dotlessGlobsInGlobs2({home + "/absent"}));
}
