#include "Kelvora/Intents/CreateArchive.h"
#include "Kelvora/Intents/SecurityScopedAccess.h"
#include "Kelvora/Intents/Unarchive.h"
#include "Platform/Dispatch/Dispatch.h"
#include "Platform/Foundation/StringEncoding.h"
#include "Vantel/SharedSettings.h"
#include "tests/support/EventLoop.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <set>

using namespace Intents;

namespace {

// perform() must run off the main thread while the main loop serves the
// engine's completions.
PerformResult runOffMain(const std::function<PerformResult()>& body)
{
    std::optional<PerformResult> result;
    std::atomic<bool> done{false};
    Dispatch::globalQueue()->async([&] {
        auto r = body();
        Dispatch::mainQueue()->async([&, r]() mutable {
            result.emplace(std::move(r));
            done = true;
        });
    });
    EXPECT_TRUE(TestSupport::waitUntil([&] { return done.load(); }, std::chrono::seconds(60)));
    return *result;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

int run(const QString& program, const QStringList& args, const QString& dir = {})
{
    QProcess p;
    if (!dir.isEmpty())
        p.setWorkingDirectory(dir);
    p.start(program, args);
    p.waitForFinished(60000);
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

IntentFile fileValue(const QString& path) { return IntentFile::fromFileURL(QUrl::fromLocalFile(path)); }

IntentFile folderValue(const QString& path)
{
    IntentFile f = fileValue(path);
    f.type = "public.folder";
    return f;
}

class ArchiveActions : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        root = dir.path();
        writeFile(root + "/src/report.txt", "quarterly figures\n");
        writeFile(root + "/src/docs/a.txt", "alpha\n");
    }
    QTemporaryDir dir;
    QString root;
};

} // namespace

TEST_F(ArchiveActions, MakeArchivesWritesIntoANewJobFolderWithTheDefaultName)
{
    ParameterValues values{{"files", std::vector<IntentFile>{fileValue(root + "/src/report.txt"), fileValue(root + "/src/docs")}}};
    auto first = runOffMain([&] { return CreateArchive::perform(values, Foundation::Progress::make()); });
    auto second = runOffMain([&] { return CreateArchive::perform(values, nullptr); });
    ASSERT_TRUE(first.isSuccess()) << first.error()->localizedDescription();
    ASSERT_TRUE(second.isSuccess());
    QString path = std::get<IntentFile>(first.value()).fileURL->toLocalFile();
    QString other = std::get<IntentFile>(second.value()).fileURL->toLocalFile();
    EXPECT_TRUE(path.endsWith("/Archive.zip")) << path.toStdString();
    EXPECT_NE(QFileInfo(path).path(), QFileInfo(other).path()) << "each run has its own job folder";
    EXPECT_EQ(QFileInfo(path).dir().dirName().size(), 36) << "job folder named by a UUID";
    EXPECT_EQ(run("unzip", {"-tq", path}), 0);
}

TEST_F(ArchiveActions, MakeArchivesHonoursNameFormatAndDestination)
{
    QDir().mkpath(root + "/out");
    ParameterValues values{{"files", std::vector<IntentFile>{fileValue(root + "/src/report.txt")}},
                           {"archiveName", std::string()},
                           {"format", std::string("tarxz")},
                           {"compressionLevel", std::string("highest")},
                           {"destination", folderValue(root + "/out")}};
    auto result = runOffMain([&] { return CreateArchive::perform(values, nullptr); });
    ASSERT_TRUE(result.isSuccess()) << result.error()->localizedDescription();
    QString path = std::get<IntentFile>(result.value()).fileURL->toLocalFile();
    EXPECT_EQ(path, root + "/out/.tar.xz") << "an empty name gives the extension alone";
    EXPECT_EQ(run("tar", {"-tJf", path}), 0);
}

TEST_F(ArchiveActions, MakeArchivesFailuresAndTheAccessesTheyEnd)
{
    std::vector<QUrl> stopped;
    SecurityScopedAccessSeam::setStopObserver([&](const QUrl& url) { stopped.push_back(url); });
    ParameterValues empty{{"files", std::vector<IntentFile>{}}};
    auto emptyResult = runOffMain([&] { return CreateArchive::perform(empty, nullptr); });
    ASSERT_TRUE(emptyResult.isFailure());
    EXPECT_EQ(emptyResult.error()->code(), 1);
    EXPECT_TRUE(stopped.empty());

    IntentFile notAFolder = fileValue(root + "/src/report.txt");
    notAFolder.type = "public.plain-text";
    ParameterValues wrongDestination{{"files", std::vector<IntentFile>{fileValue(root + "/src/docs")}},
                                     {"destination", notAFolder}};
    auto unsupported = runOffMain([&] { return CreateArchive::perform(wrongDestination, nullptr); });
    ASSERT_TRUE(unsupported.isFailure());
    EXPECT_EQ(unsupported.error()->domain(), "Kelvora.AppIntentCustomError");
    EXPECT_EQ(unsupported.error()->code(), 2);
    EXPECT_EQ(stopped, std::vector<QUrl>{QUrl::fromLocalFile(root + "/src/docs")});

    ParameterValues cannotEncrypt{{"files", std::vector<IntentFile>{fileValue(root + "/src/docs")}},
                                  {"format", std::string("targz")},
                                  {"passphrase", std::string("secret")}};
    auto engineError = runOffMain([&] { return CreateArchive::perform(cannotEncrypt, nullptr); });
    ASSERT_TRUE(engineError.isFailure());
    EXPECT_EQ(engineError.error()->domain(), "ZODArchiverErrorDomain") << "engine errors reach the host unchanged";

    ParameterValues climbing{{"files", std::vector<IntentFile>{fileValue(root + "/src/docs")}},
                             {"archiveName", std::string("../escaped")},
                             {"destination", folderValue(root + "/src")}};
    auto refused = runOffMain([&] { return CreateArchive::perform(climbing, nullptr); });
    ASSERT_TRUE(refused.isFailure());
    EXPECT_EQ(refused.error()->code(), 2);
    EXPECT_FALSE(QFileInfo::exists(root + "/escaped.zip"));
    SecurityScopedAccessSeam::setStopObserver(nullptr);
}

TEST_F(ArchiveActions, ExtractArchiveReturnsFoldersFirstAndReplacesExistingFiles)
{
    writeFile(root + "/tree/z.txt", "z\n");
    writeFile(root + "/tree/b/1.txt", "1\n");
    writeFile(root + "/tree/a/2.txt", "2\n");
    ASSERT_EQ(run("zip", {"-qr", root + "/t.zip", "z.txt", "b", "a"}, root + "/tree"), 0);
    // 7z goes through 7zz, whose listing gives the items.
    ASSERT_EQ(run("7zz", {"a", "-bd", "-bso0", root + "/t.7z", "z.txt", "b", "a"}, root + "/tree"), 0);

    for (const char* archive : {"/t.zip", "/t.7z"}) {
        QDir(root + "/out").removeRecursively();
        writeFile(root + "/out/z.txt", "old\n");
        ParameterValues values{{"files", std::vector<IntentFile>{fileValue(root + archive)}},
                               {"destination", folderValue(root + "/out")}};
        auto result = runOffMain([&] { return Unarchive::perform(values, nullptr); });
        ASSERT_TRUE(result.isSuccess()) << result.error()->localizedDescription();
        std::vector<QString> names;
        for (const auto& f : std::get<std::vector<IntentFile>>(result.value()))
            names.push_back(f.fileURL->toLocalFile());
        ASSERT_EQ(names.size(), 3u) << archive;
        EXPECT_EQ(std::set<QString>(names.begin(), names.begin() + 2), (std::set<QString>{root + "/out/b", root + "/out/a"}))
            << archive << ": folders first";
        if (QString(archive) == "/t.zip")
            EXPECT_EQ(names[0], root + "/out/b") << "in the archive's order";
        EXPECT_EQ(names[2], root + "/out/z.txt") << archive;
        QFile z(root + "/out/z.txt");
        ASSERT_TRUE(z.open(QIODevice::ReadOnly));
        EXPECT_EQ(z.readAll(), "z\n") << archive;
    }
}

// Bytes this process has read through system calls so far.
long long bytesRead()
{
    QFile io("/proc/self/io");
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : io.readAll().split('\n'))
        if (line.startsWith("rchar:"))
            return line.mid(6).trimmed().toLongLong();
    return -1;
}

TEST_F(ArchiveActions, ExtractArchiveReadsACompressedTarOnce)
{
    QDir().mkpath(root + "/tree/folder");
    ASSERT_EQ(run("sh", {"-c", "head -c 6000000 /dev/urandom > folder/data.bin && echo top > top.txt && "
                              "tar -czf ../t.tar.gz folder top.txt"},
                  root + "/tree"),
              0);
    const qint64 size = QFileInfo(root + "/t.tar.gz").size();
    QDir().mkpath(root + "/out");
    ParameterValues values{{"files", std::vector<IntentFile>{fileValue(root + "/t.tar.gz")}},
                           {"destination", folderValue(root + "/out")}};
    const long long before = bytesRead();
    ASSERT_GE(before, 0);
    auto result = runOffMain([&] { return Unarchive::perform(values, nullptr); });
    const long long read = bytesRead() - before;
    ASSERT_TRUE(result.isSuccess()) << result.error()->localizedDescription();
    EXPECT_LT(read, size * 3 / 2) << "the archive is " << size << " bytes";
    std::vector<QString> names;
    for (const auto& f : std::get<std::vector<IntentFile>>(result.value()))
        names.push_back(f.fileURL->toLocalFile());
    EXPECT_EQ(names, (std::vector<QString>{root + "/out/folder", root + "/out/top.txt"}));
    EXPECT_EQ(QFileInfo(root + "/out/folder/data.bin").size(), 6000000);
}

TEST_F(ArchiveActions, ExtractArchiveNeverAsksForAPassphrase)
{
    ASSERT_EQ(run("zip", {"-qr", "-P", "secret", root + "/locked.zip", "report.txt"}, root + "/src"), 0);
    ParameterValues values{{"files", std::vector<IntentFile>{fileValue(root + "/locked.zip")}}};
    auto result = runOffMain([&] { return Unarchive::perform(values, nullptr); });
    ASSERT_TRUE(result.isFailure());
    EXPECT_EQ(result.error()->domain(), "ZODArchiverErrorDomain");
}

TEST_F(ArchiveActions, ExtractArchiveReturnsTheFilesWrittenUnderTheFallbackEncoding)
{
    // Info-ZIP stores a name that is not UTF-8 as its raw bytes, with no UTF-8 flag.
    struct Row {
        const char* codec;
        uint64_t encoding;
        QString name;
    } rows[] = {
        {"shift_jis", Foundation::Encoding::ShiftJIS, QString::fromUtf8("日本.txt")},
        {"cp437", Foundation::Encoding::DOSLatinUS, QString::fromUtf8("Ünïcödé")},
    };
    for (const auto& row : rows) {
        QString archive = root + "/" + row.codec + ".zip";
        QString out = root + "/out-" + row.codec;
        ASSERT_EQ(run("python3", {"-c",
                                  "import os,subprocess,sys\n"
                                  "n=sys.argv[3].encode(sys.argv[4])\n"
                                  "d=sys.argv[2].encode()\n"
                                  "os.makedirs(os.path.join(d,n),exist_ok=True)\n"
                                  "open(os.path.join(d,n,b'x'),'wb').write(b'hi')\n"
                                  "open(os.path.join(d,n+b'.txt'),'wb').write(b'hi')\n"
                                  "subprocess.check_call([b'zip',b'-qr',sys.argv[1].encode(),n,n+b'.txt'],cwd=d,"
                                  "env={'LC_ALL':'C','PATH':os.environ['PATH']})\n",
                                  archive, root + "/src-" + row.codec, row.name, row.codec}),
                  0);
        QDir().mkpath(out);
        Vantel::SharedSettings().setFallbackEncoding(row.encoding);
        ParameterValues values{{"files", std::vector<IntentFile>{fileValue(archive)}}, {"destination", folderValue(out)}};
        auto result = runOffMain([&] { return Unarchive::perform(values, nullptr); });
        Vantel::SharedSettings().setFallbackEncoding(0);
        ASSERT_TRUE(result.isSuccess()) << result.error()->localizedDescription();
        std::vector<QString> returned;
        for (const auto& f : std::get<std::vector<IntentFile>>(result.value()))
            returned.push_back(f.fileURL->toLocalFile());
        EXPECT_EQ(returned, (std::vector<QString>{out + "/" + row.name, out + "/" + row.name + ".txt"})) << row.codec;
        for (const auto& path : returned)
            EXPECT_TRUE(QFileInfo::exists(path)) << path.toStdString();
    }
}

TEST_F(ArchiveActions, ExtractArchiveReturnsExactlyTheItemsWritten)
{
    // Two names that differ only in bytes no encoding decodes, and entries
    // that are never made (a pipe, a device).
    QString archive = root + "/odd.tar";
    ASSERT_EQ(run("python3", {"-c",
                              "import io,sys,tarfile\n"
                              "t=tarfile.open(sys.argv[1],'w',format=tarfile.PAX_FORMAT,errors='surrogateescape')\n"
                              "def f(n,d):\n"
                              "  i=tarfile.TarInfo(n); i.size=len(d); t.addfile(i,io.BytesIO(d))\n"
                              "f('bad-\\udcff.txt',b'one'); f('bad-\\udcfe.txt',b'two'); f('real.txt',b'real')\n"
                              "for n,k in (('fifo',tarfile.FIFOTYPE),('null',tarfile.CHRTYPE)):\n"
                              "  i=tarfile.TarInfo(n); i.type=k; t.addfile(i)\n"
                              "t.close()\n",
                              archive}),
              0);
    ParameterValues values{{"files", std::vector<IntentFile>{fileValue(archive)}},
                           {"destination", folderValue(root + "/out")}};
    QDir().mkpath(root + "/out");
    auto result = runOffMain([&] { return Unarchive::perform(values, nullptr); });
    ASSERT_TRUE(result.isSuccess()) << result.error()->localizedDescription();
    std::set<std::string> returned;
    for (const auto& f : std::get<std::vector<IntentFile>>(result.value()))
        returned.insert(f.fileURL->toLocalFile().toStdString());
    std::set<std::string> written;
    for (const auto& name : QDir(root + "/out").entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System))
        written.insert((root + "/out/" + name).toStdString());
    EXPECT_EQ(returned, written);
    EXPECT_EQ(written.size(), 3u);
}

TEST_F(ArchiveActions, BothArchiveActionsStopAtTheFirstRefusedSourceAndEndEveryAccess)
{
    writeFile(root + "/src/b.txt", "b\n");
    writeFile(root + "/src/c.txt", "c\n");
    QDir().mkpath(root + "/out");
    const QUrl a = QUrl::fromLocalFile(root + "/src/report.txt"), b = QUrl::fromLocalFile(root + "/src/b.txt"),
               c = QUrl::fromLocalFile(root + "/src/c.txt"), out = QUrl::fromLocalFile(root + "/out");
    std::vector<QUrl> tried, stopped;
    std::optional<QUrl> refused;
    SecurityScopedAccessSeam::setStartHandler([&](const QUrl& url) {
        tried.push_back(url);
        return url != refused;
    });
    SecurityScopedAccessSeam::setStopObserver([&](const QUrl& url) { stopped.push_back(url); });
    ParameterValues values{{"files", std::vector<IntentFile>{fileValue(a.toLocalFile()), fileValue(b.toLocalFile()),
                                                             fileValue(c.toLocalFile())}},
                           {"destination", folderValue(out.toLocalFile())}};
    struct Row {
        const char* action;
        PerformResult (*perform)(const ParameterValues&, Foundation::ProgressPtr);
        bool succeeds; // three text files are no archive: the engine fails the extraction
    } rows[] = {{"Make Archives", &CreateArchive::perform, true}, {"Extract Archive", &Unarchive::perform, false}};
    for (const auto& row : rows) {
        tried.clear();
        stopped.clear();
        refused = b;
        auto result = row.perform(values, nullptr);
        ASSERT_TRUE(result.isFailure()) << row.action;
        EXPECT_EQ(result.error()->domain(), "Kelvora.AppIntentCustomError") << row.action;
        EXPECT_EQ(result.error()->code(), 3) << row.action;
        EXPECT_EQ(tried, (std::vector<QUrl>{a, b})) << row.action << ": the third source is never tried";
        EXPECT_EQ(stopped, std::vector<QUrl>{a}) << row.action << ": only the started access ends";

        tried.clear();
        stopped.clear();
        refused.reset();
        auto finished = runOffMain([&] { return row.perform(values, nullptr); });
        EXPECT_EQ(finished.isSuccess(), row.succeeds) << row.action;
        EXPECT_EQ(stopped, (std::vector<QUrl>{a, b, c, out})) << row.action << ": every access ends once";
    }
    SecurityScopedAccessSeam::setStartHandler(nullptr);
    SecurityScopedAccessSeam::setStopObserver(nullptr);
}
