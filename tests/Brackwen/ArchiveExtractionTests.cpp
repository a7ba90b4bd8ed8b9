#include "tests/Brackwen/ArchiveFixtures.h"
#include "tests/support/EventLoop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <map>
#include <sys/stat.h>

using namespace Fixtures;
namespace fs = std::filesystem;

namespace {

std::string why(const Foundation::ErrorPtr& e)
{
    return e ? std::to_string(e->code()) + " " + e->stringForKey(ZODArchiverUnderlyingMessageKey) + " " +
                   e->stringForKey(Foundation::NSFilePathErrorKey)
             : std::string("no error");
}

// Nothing but the expected names, and no temporary files left behind.
void expectOnly(const std::string& dest, const std::vector<std::string>& expected)
{
    EXPECT_EQ(listTree(dest), expected);
}

// root/dir with a dated file two levels down and an executable script, the
// times and modes extraction must restore.
void writeTimesAndModesTree(const std::string& root)
{
    writeFile(root + "/dir/inner/a.txt", "alpha");
    writeFile(root + "/dir/run.sh", "#!/bin/sh\n");
    fs::permissions(root + "/dir/run.sh", fs::perms(0755));
    ASSERT_EQ(run("touch -d '2001-02-03 04:05:06' dir/inner/a.txt", root).status, 0);
}

struct EntireRun {
    Foundation::ErrorPtr error;
    std::vector<std::string> items;
    // Every progress published stayed within its total.
    bool progressWithinTotal = true;
};

// Extracts every entry as the command line does.
EntireRun extractEntire(const std::vector<std::string>& paths, const std::string& destination)
{
    auto result = std::make_shared<EntireRun>();
    auto within = std::make_shared<std::atomic<bool>>(true);
    auto done = std::make_shared<std::atomic<bool>>(false);
    auto progress = Foundation::Progress::make(-1);
    auto observation = progress->observe([within](const Foundation::Progress& p, Foundation::Progress::Key) {
        if (p.completedUnitCount() > p.totalUnitCount())
            within->store(false);
    });
    auto task = ZODArchiver::decompressEntireArchiveInPaths(
        paths, destination, 0, progress, nullptr,
        [result, done](std::vector<std::string> items, Foundation::ErrorPtr error, ZODArchiverTaskPtr) {
            result->items = std::move(items);
            result->error = std::move(error);
            done->store(true);
        },
        Dispatch::globalQueue(), Dispatch::mainQueue());
    task->resume();
    TestSupport::waitUntil([&] { return done->load(); }, std::chrono::seconds(60));
    result->progressWithinTotal = within->load();
    return *result;
}

} // namespace

TEST(ArchiveExtraction, ExtractsNamedChildrenWithTimesAndModes)
{
    std::string src = makeFolder("src");
    writeTimesAndModesTree(src);
    writeFile(src + "/other.txt", "other");
    ASSERT_EQ(run("tar cf ../a.tar dir other.txt", src).status, 0);
    std::string archive = TestSupport::scratchDirectory() + "/a.tar";
    auto analysis = analyze({archive});
    ASSERT_FALSE(analysis.error);

    std::string dest = makeFolder("dest");
    ExtractOptions withProgress;
    withProgress.progress = Foundation::Progress::make(-1);
    ASSERT_FALSE(extract({archive}, dest, analysis.root, std::vector<std::string>{"dir"}, withProgress));
    EXPECT_DOUBLE_EQ(withProgress.progress->fractionCompleted(), 1.0);
    EXPECT_EQ(withProgress.progress->localizedAdditionalDescription(), "20 bytes of 20 bytes");
    expectOnly(dest, {"dir/", "dir/inner/", "dir/inner/a.txt", "dir/run.sh"});
    EXPECT_EQ(readFile(dest + "/dir/inner/a.txt"), "alpha");
    struct stat st {};
    ASSERT_EQ(::stat((dest + "/dir/run.sh").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0755u);
    ASSERT_EQ(::stat((dest + "/dir/inner/a.txt").c_str(), &st), 0);
    struct stat orig {};
    ASSERT_EQ(::stat((src + "/dir/inner/a.txt").c_str(), &orig), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, orig.st_mtim.tv_sec);

    // Children of a sub-folder land under their own names.
    std::string dest2 = makeFolder("dest2");
    auto dir = analysis.root->directories().at(0);
    ASSERT_FALSE(extract({archive}, dest2, dir, std::vector<std::string>{"inner"}));
    expectOnly(dest2, {"inner/", "inner/a.txt"});

    std::string dest3 = makeFolder("dest3");
    ASSERT_FALSE(extract({archive}, dest3, analysis.root, std::vector<std::string>{}));
    expectOnly(dest3, {});
    EXPECT_EQ(codeOf(extract({archive}, dest3, analysis.root, std::vector<std::string>{"nope"})),
              ZODArchiverErrorItemNotFound);
}

TEST(ArchiveExtraction, HostileEntriesAreRefusedAndTheRestExtracts)
{
    std::string sandbox = makeFolder("sandbox");
    std::string outside = sandbox + "/outside";
    fs::create_directories(outside);
    writeFile(sandbox + "/victim.txt", "victim");
    std::string script = "import tarfile, io\n"
                         "t = tarfile.open('hostile.tar', 'w')\n"
                         "def f(name, data=b'evil'):\n"
                         "    i = tarfile.TarInfo(name); i.size = len(data); t.addfile(i, io.BytesIO(data))\n"
                         "def l(name, target, kind):\n"
                         "    i = tarfile.TarInfo(name); i.type = kind; i.linkname = target; t.addfile(i)\n"
                         "f('ok.txt', b'fine')\n"
                         "f('../evil_dotdot')\n"
                         "f('sub/../../evil_dotdot2')\n"
                         "f('" + sandbox + "/abs_evil')\n"
                         "l('link', '" + outside + "', tarfile.SYMTYPE)\n"
                         "f('link/through_link')\n"
                         "l('rel', '../outside', tarfile.SYMTYPE)\n"
                         "f('rel/through_rel')\n"
                         "l('hl', '" + sandbox + "/victim.txt', tarfile.LNKTYPE)\n"
                         "l('inside_hl', 'ok.txt', tarfile.LNKTYPE)\n"
                         "f('later.txt', b'later')\n"
                         "t.close()\n";
    ASSERT_EQ(python(script, sandbox).status, 0);
    auto before = listTree(sandbox);
    auto analysis = analyze({sandbox + "/hostile.tar"});
    ASSERT_FALSE(analysis.error) << why(analysis.error);
    std::string dest = sandbox + "/dest";
    fs::create_directories(dest);
    auto error = extract({sandbox + "/hostile.tar"}, dest, analysis.root);
    EXPECT_EQ(codeOf(error), ZODArchiverErrorUnsafeEntry) << why(error);
    EXPECT_EQ(readFile(dest + "/ok.txt"), "fine");
    EXPECT_EQ(readFile(dest + "/later.txt"), "later");
    EXPECT_TRUE(fs::is_empty(outside));
    EXPECT_EQ(readFile(sandbox + "/victim.txt"), "victim");
    EXPECT_FALSE(fs::exists(sandbox + "/evil_dotdot"));
    EXPECT_FALSE(fs::exists(sandbox + "/evil_dotdot2"));
    EXPECT_FALSE(fs::exists(sandbox + "/abs_evil"));
    EXPECT_FALSE(fs::exists(dest + "/hl"));
    EXPECT_TRUE(fs::equivalent(dest + "/inside_hl", dest + "/ok.txt"));
    // Outside the destination nothing changed.
    auto after = listTree(sandbox);
    std::erase_if(after, [](const std::string& p) { return p.starts_with("dest/"); });
    std::erase_if(before, [](const std::string& p) { return p.starts_with("dest/"); });
    EXPECT_EQ(after, before);
}

TEST(ArchiveExtraction, DamagedDataFailsAndLeavesNoFile)
{
    std::string dir = makeFolder("damaged");
    writeFile(dir + "/in/a.txt", std::string(4000, 'a'));
    ASSERT_EQ(run("zip -q0 stored.zip in/a.txt", dir).status, 0);
    // Flips a byte inside the stored data: the CRC no longer matches.
    ASSERT_EQ(python("d = bytearray(open('stored.zip','rb').read()); i = d.find(b'aaaa'); d[i+100] ^= 1\n"
                     "open('stored.zip','wb').write(d)\n", dir).status, 0);
    auto analysis = analyze({dir + "/stored.zip"});
    ASSERT_FALSE(analysis.error);
    std::string dest = makeFolder("damaged-out");
    auto error = extract({dir + "/stored.zip"}, dest, analysis.root);
    EXPECT_EQ(codeOf(error), ZODArchiverErrorDamaged) << why(error);
    expectOnly(dest, {});
}

TEST(ArchiveExtraction, ConflictAnswersIncludingAll)
{
    std::string dir = makeFolder("conflict");
    for (const char* n : {"a", "b", "c"})
        writeFile(dir + "/src/" + n, std::string("new ") + n);
    ASSERT_EQ(run("tar cf c.tar -C src a b c", dir).status, 0);
    auto analysis = analyze({dir + "/c.tar"});
    ASSERT_FALSE(analysis.error);
    struct Case {
        std::vector<uint64_t> answers;
        size_t questions;
        std::vector<std::string> expected; // contents of a, b, c afterwards
        int64_t code;
    } cases[] = {
        {{0, 2, 0}, 3, {"new a", "old b", "new c"}, 0},
        {{1}, 1, {"new a", "new b", "new c"}, 0},
        {{2, 3}, 2, {"old a", "old b", "old c"}, 0},
        {{0, 4}, 2, {"new a", "old b", "old c"}, ZODArchiverErrorCancelled},
    };
    for (const auto& c : cases) {
        std::string dest = makeFolder("conflict-out");
        for (const char* n : {"a", "b", "c"})
            writeFile(dest + "/" + n, std::string("old ") + n);
        std::atomic<size_t> asked{0};
        ExtractOptions options;
        options.conflictHandler = [&](const std::string& name) {
            EXPECT_EQ(name.size(), 1u);
            return c.answers.at(asked++);
        };
        auto error = extract({dir + "/c.tar"}, dest, analysis.root, std::nullopt, options);
        EXPECT_EQ(codeOf(error), c.code) << why(error);
        EXPECT_EQ(asked, c.questions);
        EXPECT_EQ(readFile(dest + "/a"), c.expected[0]);
        EXPECT_EQ(readFile(dest + "/b"), c.expected[1]);
        EXPECT_EQ(readFile(dest + "/c"), c.expected[2]);
        expectOnly(dest, {"a", "b", "c"});
    }
}

TEST(ArchiveExtraction, PassphraseAskedAgainUntilRight)
{
    std::string dir = makeFolder("crypt");
    writeFile(dir + "/in/a.txt", std::string(20000, 'q'));
    writeFile(dir + "/in/b.txt", "bee");
    ASSERT_EQ(run("zip -qr -P secret z.zip in", dir).status, 0);
    auto analysis = analyze({dir + "/z.zip"});
    ASSERT_FALSE(analysis.error);

    std::vector<std::string> answers{"wrong", "secret"};
    std::atomic<size_t> asked{0};
    ExtractOptions options;
    options.passwordHandler = [&]() -> std::optional<std::string> { return answers.at(asked++); };
    std::string dest = makeFolder("crypt-out");
    auto error = extract({dir + "/z.zip"}, dest, analysis.root, std::nullopt, options);
    ASSERT_FALSE(error) << why(error);
    EXPECT_EQ(asked, 2u);
    EXPECT_EQ(readFile(dest + "/in/a.txt"), std::string(20000, 'q'));
    EXPECT_EQ(readFile(dest + "/in/b.txt"), "bee");

    // A known-good predefined passphrase asks nothing; declining fails once for the task.
    std::string dest2 = makeFolder("crypt-out2");
    ExtractOptions predefined;
    predefined.password = "secret";
    predefined.passwordHandler = [&]() -> std::optional<std::string> { ADD_FAILURE(); return std::nullopt; };
    EXPECT_FALSE(extract({dir + "/z.zip"}, dest2, analysis.root, std::nullopt, predefined));

    std::string dest3 = makeFolder("crypt-out3");
    std::atomic<int> declined{0};
    ExtractOptions none;
    none.passwordHandler = [&]() -> std::optional<std::string> { declined++; return std::nullopt; };
    auto refused = extract({dir + "/z.zip"}, dest3, analysis.root, std::nullopt, none);
    EXPECT_EQ(codeOf(refused), ZODArchiverErrorPassphraseRequired) << why(refused);
    EXPECT_EQ(declined, 1);
    expectOnly(dest3, {});
}

// About 1 wrong ZipCrypto passphrase in 256 passes the header check; its
// data then fails to inflate or to match the CRC. It must count as wrong.
TEST(ArchiveExtraction, ZipCryptoFalsePositiveIsAskedAgainAndNothingKept)
{
    std::string dir = makeFolder("falsepositive");
    writeFile(dir + "/in/a.txt", randomBytes(30000, 5));
    ASSERT_EQ(run("zip -q -P secret fp.zip in/a.txt", dir).status, 0);
    auto found = python("import zipfile, zlib\n"
                        "z = zipfile.ZipFile('fp.zip')\n"
                        "for i in range(20000):\n"
                        "    p = ('w%d' % i).encode()\n"
                        "    try:\n"
                        "        z.open('in/a.txt', pwd=p).read()\n"
                        "    except RuntimeError:\n"
                        "        continue\n"
                        "    except Exception:\n"
                        "        print(p.decode()); break\n",
                        dir);
    ASSERT_EQ(found.status, 0);
    std::string falsePositive = found.output.substr(0, found.output.find('\n'));
    ASSERT_FALSE(falsePositive.empty());
    auto analysis = analyze({dir + "/fp.zip"});
    ASSERT_FALSE(analysis.error);
    std::vector<std::string> answers{falsePositive, "secret"};
    std::atomic<size_t> asked{0};
    ExtractOptions options;
    options.passwordHandler = [&]() -> std::optional<std::string> { return answers.at(asked++); };
    std::string dest = makeFolder("falsepositive-out");
    auto error = extract({dir + "/fp.zip"}, dest, analysis.root, std::nullopt, options);
    ASSERT_FALSE(error) << why(error);
    EXPECT_EQ(asked, 2u);
    EXPECT_EQ(readFile(dest + "/in/a.txt"), randomBytes(30000, 5));
    expectOnly(dest, {"in/", "in/a.txt"});
}

TEST(ArchiveExtraction, Encrypted7zGoesThroughTheSevenZipBackend)
{
    std::string dir = makeFolder("enc7z");
    writeFile(dir + "/in/s.txt", "sevenzip secret");
    ASSERT_EQ(run("7zz a -bd -bso0 -psecret e.7z in", dir).status, 0);
    auto analysis = analyze({dir + "/e.7z"});
    ASSERT_FALSE(analysis.error) << why(analysis.error);
    std::string dest = makeFolder("enc7z-out");
    ExtractOptions options;
    options.passwordHandler = [] { return std::optional<std::string>("secret"); };
    auto error = extract({dir + "/e.7z"}, dest, analysis.root, std::nullopt, options);
    ASSERT_FALSE(error) << why(error);
    EXPECT_EQ(readFile(dest + "/in/s.txt"), "sevenzip secret");
}

// A small plain 7z is read in-process whether or not 7zz is installed:
// starting 7zz, listing and staging would cost more than its threads give.
TEST(ArchiveExtraction, SmallPlain7zIsExtractedWithoutTheSevenZipProgram)
{
    std::string dir = makeFolder("plain7z");
    writeTimesAndModesTree(dir);
    writeFile(dir + "/dir/other.txt", "other");
    ASSERT_EQ(run("7zz a -bd -bso0 p.7z dir", dir).status, 0);
    // Stands in for an installed 7zz and tells whether it was started.
    const std::string program = dir + "/7zz", started = dir + "/started";
    writeFile(program, "#!/bin/sh\ntouch " + started + "\nexit 2\n");
    ASSERT_EQ(::chmod(program.c_str(), 0755), 0);
    auto analysis = analyze({dir + "/p.7z"});
    ASSERT_FALSE(analysis.error) << why(analysis.error);
    auto folder = analysis.root->directories().at(0);
    for (const char* installed : {program.c_str(), "/nonexistent/7zz"}) {
        SCOPED_TRACE(installed);
        ::setenv("KELVORA_7ZZ", installed, 1);
        std::string dest = makeFolder(std::string("plain7z-out") + (installed == program ? "1" : "2"));
        writeFile(dest + "/run.sh", "old");
        ExtractOptions options;
        options.progress = Foundation::Progress::make(-1);
        options.conflictHandler = [](const std::string&) { return uint64_t(ArchiverConflictResolving::replace); };
        auto error = extract({dir + "/p.7z"}, dest, folder, std::vector<std::string>{"inner", "run.sh"}, options);
        ::unsetenv("KELVORA_7ZZ");
        ASSERT_FALSE(error) << why(error);
        EXPECT_FALSE(fs::exists(started));
        expectOnly(dest, {"inner/", "inner/a.txt", "run.sh"});
        EXPECT_EQ(readFile(dest + "/run.sh"), "#!/bin/sh\n");
        EXPECT_DOUBLE_EQ(options.progress->fractionCompleted(), 1.0);
        struct stat st {};
        ASSERT_EQ(::stat((dest + "/run.sh").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0755u);
        struct stat orig {};
        ASSERT_EQ(::stat((dir + "/dir/inner/a.txt").c_str(), &orig), 0);
        ASSERT_EQ(::stat((dest + "/inner/a.txt").c_str(), &st), 0);
        EXPECT_EQ(st.st_mtim.tv_sec, orig.st_mtim.tv_sec);
    }
}

TEST(ArchiveExtraction, CancelDuringExtractionLeavesNoHalfFile)
{
    std::string dir = makeFolder("cancelx");
    writeFile(dir + "/big.bin", randomBytes(24 << 20, 9));
    // A tar.zst is decoded on a thread of its own, which the cancel stops.
    ASSERT_EQ(run("tar cf big.tar big.bin && zstd -q -1 -k big.tar", dir).status, 0);
    std::string dest = makeFolder("cancelx-out");
    for (const char* name : {"big.tar", "big.tar.zst"}) {
        SCOPED_TRACE(name);
        auto analysis = analyze({dir + "/" + name});
        ASSERT_FALSE(analysis.error);
        auto progress = Foundation::Progress::make(-1);
        auto observation = progress->observe([](const Foundation::Progress& p, Foundation::Progress::Key) {
            if (p.completedUnitCount() > 0 && !p.isCancelled())
                const_cast<Foundation::Progress&>(p).cancel();
        });
        ExtractOptions options;
        options.progress = progress;
        auto error = extract({dir + "/" + name}, dest, analysis.root, std::nullopt, options);
        EXPECT_EQ(codeOf(error), ZODArchiverErrorCancelled);
        expectOnly(dest, {});
    }

    // A progress cancelled before the task exists ends it the same way.
    ExtractOptions cancelledFirst;
    cancelledFirst.progress = Foundation::Progress::make(-1);
    cancelledFirst.progress->cancel();
    EXPECT_EQ(codeOf(extract({dir + "/big.tar"}, dest, analyze({dir + "/big.tar"}).root, std::nullopt, cancelledFirst)),
              ZODArchiverErrorCancelled);
    expectOnly(dest, {});
}

// Streams long enough to pass through every block the decoding thread keeps,
// in the shapes producers write: gzip members and zstd frames one after
// another, a stream split into volumes, a single compressed file.
TEST(ArchiveExtraction, GzipBzip2AndZstdStreamsExtractIntact)
{
    std::string dir = makeFolder("streams");
    const std::string random = randomBytes(3 << 20, 5);
    std::string text;
    for (int i = 0; text.size() < (6u << 20); ++i)
        text += "line " + std::to_string(i % 1000) + " of the text\n";
    writeFile(dir + "/src/random.bin", random);
    writeFile(dir + "/src/text.txt", text);
    ASSERT_EQ(run("tar cf x.tar src && head -c 5000000 x.tar > head.tar && tail -c +5000001 x.tar > tail.tar"
                  " && gzip -c head.tar > m.tar.gz && gzip -c tail.tar >> m.tar.gz"
                  " && zstd -q -c head.tar > m.tar.zst && zstd -q -c tail.tar >> m.tar.zst"
                  " && bzip2 -c x.tar > x.tar.bz2 && split -b 700k m.tar.zst zpart_"
                  " && gzip -c src/text.txt > text.txt.gz && zstd -q -c src/random.bin > random.bin.zst",
                  dir).status,
              0);
    std::vector<std::string> parts;
    for (const auto& e : fs::directory_iterator(dir))
        if (e.path().filename().string().starts_with("zpart_"))
            parts.push_back(e.path().string());
    std::sort(parts.begin(), parts.end());
    ASSERT_GE(parts.size(), 3u);
    const std::map<std::string, std::string> tree{{"src/random.bin", random}, {"src/text.txt", text}};
    struct Case {
        std::string name;
        std::vector<std::string> volumes;
        std::map<std::string, std::string> files;
    } cases[] = {
        {"m.tar.gz", {dir + "/m.tar.gz"}, tree},
        {"m.tar.zst", {dir + "/m.tar.zst"}, tree},
        {"x.tar.bz2", {dir + "/x.tar.bz2"}, tree},
        {"zpart_", parts, tree},
        {"text.txt.gz", {dir + "/text.txt.gz"}, {{"text.txt", text}}},
        {"random.bin.zst", {dir + "/random.bin.zst"}, {{"random.bin", random}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto analysis = analyze(c.volumes);
        ASSERT_FALSE(analysis.error) << why(analysis.error);
        EXPECT_EQ(analysis.root->size(), int64_t(c.files.size() == 1 ? c.files.begin()->second.size()
                                                                        : random.size() + text.size()));
        std::string dest = makeFolder("streams-out");
        auto entire = extractEntire(c.volumes, dest);
        ASSERT_FALSE(entire.error) << why(entire.error);
        // Progress counts the compressed bytes read, not the decoded ones.
        EXPECT_TRUE(entire.progressWithinTotal);
        for (const auto& [name, content] : c.files)
            EXPECT_TRUE(readFile(dest + "/" + name) == content) << name;
    }
}

// No tool writes RAR here, so the archive is built from its documented block
// layout: a stored entry, and a stored entry with an AES-256 encryption
// record whose data is 16 bytes of ciphertext.
TEST(ArchiveExtraction, EncryptedRar5EntryIsRefusedNotWrittenAsCiphertext)
{
    const char* builder = R"(
import struct, zlib
def vint(n):
    out = bytearray()
    while True:
        b, n = n & 0x7f, n >> 7
        out.append(b | (0x80 if n else 0))
        if not n:
            return bytes(out)
def block(body):
    data = vint(len(body)) + body
    return struct.pack('<I', zlib.crc32(data)) + data
def entry(name, data, size, encrypted):
    extra = b''
    if encrypted:
        record = vint(0x01) + vint(0) + vint(0x0001) + bytes([15]) + bytes(16) + bytes(range(16)) + bytes(12)
        extra = vint(len(record)) + record
    body = vint(2) + vint(0x0002 | (0x0001 if extra else 0)) + (vint(len(extra)) if extra else b'') + vint(len(data))
    body += vint(0x0004) + vint(size) + vint(0o100644) + struct.pack('<I', zlib.crc32(b'x' * size)) + vint(0) + vint(1)
    return block(body + vint(len(name)) + name + extra) + data
rar = b'Rar!\x1a\x07\x01\x00' + block(vint(1) + vint(0) + vint(0))
rar += entry(b'plain.txt', b'xxxxx', 5, False)
rar += entry(b'secret.txt', bytes(range(0x40, 0x50)), 5, True)
rar += block(vint(5) + vint(0) + vint(0))
open('enc.rar', 'wb').write(rar)
)";
    ASSERT_EQ(python(builder, TestSupport::scratchDirectory()).status, 0);
    std::string archive = TestSupport::scratchDirectory() + "/enc.rar";
    auto analysis = analyze({archive});
    ASSERT_FALSE(analysis.error) << why(analysis.error);
    EXPECT_EQ(listTree(analysis.root), (std::vector<std::string>{"plain.txt", "secret.txt"}));

    std::string all = makeFolder("all");
    auto error = extract({archive}, all, analysis.root);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), ZODArchiverErrorEncryptedRARUnsupported) << why(error);
    expectOnly(all, {"plain.txt"});
    EXPECT_EQ(readFile(all + "/plain.txt"), "xxxxx");

    std::string one = makeFolder("one");
    error = extract({archive}, one, analysis.root, std::vector<std::string>{"secret.txt"});
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), ZODArchiverErrorEncryptedRARUnsupported) << why(error);
    expectOnly(one, {});
}
