#include "tests/support/EventLoop.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>

namespace {

struct HostRun {
    int exitCode;
    QString out;
    QString err;
};

HostRun kelvora(const QStringList& args, const QByteArray& input = {})
{
    QProcess p;
    p.start(KELVORA_BINARY, args);
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

TEST(ActionsHost, ListPrintsEveryActionAsJSON)
{
    HostRun r = kelvora({"actions", "list"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    QJsonArray actions = QJsonDocument::fromJson(r.out.toUtf8()).array();
    ASSERT_EQ(actions.size(), 4);
    EXPECT_EQ(actions[0].toObject()["title"].toString(), "Make Archives");
    EXPECT_EQ(actions[1].toObject()["intentClassName"].toString(), "UnarchiveIntent");
    QJsonObject format = actions[0].toObject()["parameters"].toArray()[2].toObject();
    EXPECT_EQ(format["default"].toString(), "zip");
    EXPECT_EQ(format["offeredValues"].toArray().size(), 8);
}

// A quick action must not wait for the window libraries to load: the
// dynamic loader names every object it loads.
TEST(ActionsHost, RunsWithoutLoadingTheWindowLibraries)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LD_DEBUG", "files");
    p.setProcessEnvironment(env);
    p.start(KELVORA_BINARY, {"actions", "list"});
    ASSERT_TRUE(p.waitForFinished(60000));
    ASSERT_EQ(p.exitCode(), 0);
    const QString loaded = QString::fromUtf8(p.readAllStandardError());
    ASSERT_TRUE(loaded.contains("libVantel.so")) << "the loader's report is there";
    for (const char* library : {"libQt6Widgets.so", "libQt6Gui.so", "libKelvoraCore.so", "libAppKit.so"})
        EXPECT_FALSE(loaded.contains(library)) << library;
}

TEST(ActionsHost, ExitCodesTellSuccessThrownErrorsAndUsage)
{
    QTemporaryDir dir;
    QFile file(dir.filePath("a.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("a");
    file.close();

    HostRun ok = kelvora({"actions", "run", "Make Archives", "--files", file.fileName(), "--destination", dir.path()});
    EXPECT_EQ(ok.exitCode, 0) << ok.err.toStdString();
    EXPECT_EQ(ok.out.trimmed(), dir.filePath("Archive.zip"));

    HostRun thrown = kelvora({"actions", "run", "Make Archives", "--files", file.fileName(), "--destination", file.fileName()});
    EXPECT_EQ(thrown.exitCode, 1);
    EXPECT_TRUE(thrown.err.startsWith("error: Kelvora.AppIntentCustomError 2: ")) << thrown.err.toStdString();

    struct Row {
        QStringList args;
    } usage[] = {
        {{"actions", "run", "Make Coffee"}},
        {{"actions", "run", "Make Archives", "--files", file.fileName(), "--colour", "red"}},
        {{"actions", "run", "Make Archives", "--format", "zip"}},
        {{"actions", "run", "Make Archives", "--files", file.fileName(), "--format", "rar"}},
        {{"actions"}},
    };
    for (const auto& row : usage) {
        HostRun r = kelvora(row.args);
        EXPECT_EQ(r.exitCode, 2) << row.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains("usage:")) << r.err.toStdString();
        EXPECT_TRUE(r.err.endsWith("\n")) << r.err.toStdString();
    }
}

TEST(ActionsHost, SummaryPrintsTheTextAndFurtherParameters)
{
    HostRun r = kelvora({"actions", "summary", "Extract Archive", "--files", "/x/a.zip"});
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "Extract files from a.zip\n  destination\n");
}

TEST(ActionsHost, URLResultsPrintTheirEncodedFormAndFileResultsTheirPath)
{
    struct Row {
        QStringList args;
        QString line;
    } rows[] = {
        {{"actions", "run", "Get URL to File", "--file", QString::fromUtf8("/tmp/my file é.txt")},
         "file:///tmp/my%20file%20%C3%A9.txt"},
        {{"actions", "run", "Get File from URL", "--url", "https://example.org/a%20b.zip"},
         "https://example.org/a%20b.zip"},
        {{"actions", "run", "Get File from URL", "--url", QString::fromUtf8("file:///tmp/my%20file%20%C3%A9.txt")},
         QString::fromUtf8("/tmp/my file é.txt")},
    };
    for (const auto& row : rows) {
        HostRun r = kelvora(row.args);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(r.out.toStdString(), (row.line + "\n").toStdString()) << row.args.join(' ').toStdString();
    }
}

namespace {

class HostFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QFile f(dir.filePath("report.txt"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("quarterly figures\n");
        file = f.fileName();
        QDir(dir.path()).mkdir("out");
        out = dir.filePath("out");
    }
    int unzipTest(const QString& archive, const QString& passphrase)
    {
        return QProcess::execute("unzip", {"-qq", "-t", "-P", passphrase, archive});
    }
    QTemporaryDir dir;
    QString file, out;
};

} // namespace

TEST_F(HostFiles, ValuesTakeEitherFormAndTextMayComeFromStandardInput)
{
    struct Row {
        QStringList args;
        QByteArray input;
    } rows[] = {
        {{"--files", file, "--destination", out, "--archiveName", "a", "--passphrase", "secret"}, {}},
        {{"--files=" + file, "--destination=" + out, "--archiveName=b", "--passphrase=secret"}, {}},
        {{"--files", file, "--destination", out, "--archiveName", "c", "--passphrase", "-"}, "secret\n"},
        {{"--files", file, "--destination", out, "--archiveName=-", "--passphrase", "-"}, "d\nsecret\r\n"},
    };
    char name = 'a';
    for (const auto& row : rows) {
        HostRun r = kelvora(QStringList{"actions", "run", "Make Archives", "--encryptionMethod=zipCrypt"} + row.args, row.input);
        QString archive = out + "/" + QChar(name++) + ".zip";
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(r.out.toStdString(), (archive + "\n").toStdString());
        EXPECT_EQ(unzipTest(archive, "secret"), 0) << archive.toStdString();
        EXPECT_NE(unzipTest(archive, "wrong"), 0) << archive.toStdString();
    }

    HostRun ended = kelvora({"actions", "run", "Make Archives", "--files", file, "--passphrase", "-"});
    EXPECT_EQ(ended.exitCode, 2) << "standard input ended before a line";
}

TEST_F(HostFiles, AFailureNamesTheParameterItsValueAndWhy)
{
    QString missing = dir.filePath("missing.pdf");
    QString nowhere = dir.filePath("Desktop");
    struct Row {
        QStringList args;
        QString explanation;
    } rows[] = {
        {{"Make Archives", "--files", missing}, "--files: " + missing + " does not exist"},
        {{"Make Archives", "--files", file, "--files", missing}, "--files: " + missing + " does not exist"},
        {{"Make Archives", "--files", file, "--destination", file}, "--destination: " + file + " is not a folder"},
        {{"Make Archives", "--files", file, "--destination", nowhere}, "--destination: " + nowhere + " does not exist"},
        {{"Extract Archive", "--files", missing, "--destination", out}, "--files: " + missing + " does not exist"},
        {{"Make Archives", "--files", file, "--archiveName", "../up"}, "--archiveName: ../up holds a slash: it must name one file"},
    };
    for (const auto& row : rows) {
        HostRun r = kelvora(QStringList{"actions", "run"} + row.args);
        EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
        QStringList lines = r.err.split('\n', Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), 2) << r.err.toStdString();
        EXPECT_TRUE(lines[0].startsWith("error: ")) << r.err.toStdString();
        EXPECT_EQ(lines[1].toStdString(), row.explanation.toStdString());
    }
}

TEST(ActionsHost, SummaryOfATitleAloneListsTheParameters)
{
    HostRun r = kelvora({"actions", "summary", "Make Archives"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 10) << r.out.toStdString();
    auto line = [&](const QString& name) {
        for (const auto& l : lines)
            if (l.trimmed().startsWith("--" + name + " "))
                return l;
        return QString();
    };
    EXPECT_TRUE(line("files").contains("required")) << r.out.toStdString();
    EXPECT_TRUE(line("format").contains("zip (.zip), sevenzip (.7z)")) << r.out.toStdString();
    EXPECT_TRUE(line("format").contains("default zip")) << r.out.toStdString();
    EXPECT_TRUE(line("compressionLevel").contains("highest (Highest)")) << r.out.toStdString();
    EXPECT_TRUE(line("passphrase").contains("standard input")) << r.out.toStdString();
    EXPECT_TRUE(line("destination").contains("folder")) << r.out.toStdString();
}

TEST_F(HostFiles, ActionsAreAlsoNamedByTheirIntentClass)
{
    HostRun made = kelvora({"actions", "run", "CreateArchiveIntent", "--files", file, "--destination", out});
    EXPECT_EQ(made.exitCode, 0) << made.err.toStdString();
    EXPECT_EQ(made.out.toStdString(), (out + "/Archive.zip\n").toStdString());
    HostRun url = kelvora({"actions", "run", "GetURLIntent", "--file", file});
    EXPECT_EQ(url.out.toStdString(), QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded).toStdString() + "\n");
    HostRun summary = kelvora({"actions", "summary", "UnarchiveIntent", "--files", file});
    EXPECT_EQ(summary.out.toStdString(), "Extract files from report.txt\n  destination\n");
}

namespace {

// The processes whose parent is pid and whose program is `name`.
std::vector<pid_t> childrenNamed(pid_t pid, const QString& name)
{
    std::vector<pid_t> found;
    for (const QString& entry : QDir("/proc").entryList(QDir::Dirs)) {
        bool numeric = false;
        pid_t child = entry.toInt(&numeric);
        if (!numeric)
            continue;
        QFile stat("/proc/" + entry + "/stat");
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        QString line = QString::fromUtf8(stat.readAll());
        int open = line.indexOf('('), close = line.lastIndexOf(')');
        if (open < 0 || close < open)
            continue;
        QStringList rest = line.mid(close + 2).split(' ');
        if (line.mid(open + 1, close - open - 1) == name && rest.size() > 1 && rest[1].toInt() == pid)
            found.push_back(child);
    }
    return found;
}

bool processExists(pid_t pid) { return QFileInfo::exists("/proc/" + QString::number(pid)); }

} // namespace

TEST_F(HostFiles, InterruptionCancelsTheRunAndItsArchiverChild)
{
    QFile big(dir.filePath("big.bin"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    QFile random("/dev/urandom");
    ASSERT_TRUE(random.open(QIODevice::ReadOnly));
    for (int i = 0; i < 48; ++i)
        big.write(random.read(1 << 20));
    big.close();

    for (int signal : {SIGINT, SIGTERM}) {
        QProcess p;
        p.start(KELVORA_BINARY, {"actions", "run", "Make Archives", "--files", big.fileName(), "--format", "sevenzip",
                                 "--compressionLevel", "highest", "--destination", out});
        ASSERT_TRUE(p.waitForStarted());
        std::vector<pid_t> children;
        ASSERT_TRUE(TestSupport::waitUntil([&] { return !(children = childrenNamed(p.processId(), "7zz")).empty(); },
                                           std::chrono::seconds(30)));
        ::kill(static_cast<pid_t>(p.processId()), signal);
        ASSERT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << "the host ends itself after cleaning up";
        EXPECT_EQ(p.exitCode(), 128 + signal);
        EXPECT_TRUE(TestSupport::waitUntil([&] { return !processExists(children.front()); }, std::chrono::seconds(10)))
            << "7zz ends with the run";
        EXPECT_EQ(QDir(out).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList())
            << "nothing is left in the destination";
    }
}
