#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

namespace {

struct HostRun {
    int exitCode;
    QString out;
    QString err;
};

HostRun kelvora(const QStringList& args)
{
    QProcess p;
    p.start(KELVORA_BINARY, args);
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
