// The install as a user meets it: into an empty prefix, then the program
// run from a shell with a fresh home folder and nothing of the build around.

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

namespace {

struct ProgramRun {
    int exitCode;
    QString out;
    QString err;
};

ProgramRun runIn(const QString& program, const QStringList& args, const QString& workingDirectory, const QString& home)
{
    QProcess p;
    QProcessEnvironment clean;
    clean.insert("HOME", home);
    clean.insert("PATH", "/usr/bin:/bin");
    clean.insert("LANG", "C.UTF-8");
    clean.insert("QT_QPA_PLATFORM", "offscreen");
    p.setProcessEnvironment(clean);
    p.setWorkingDirectory(workingDirectory);
    p.start(program, args);
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

} // namespace

TEST(Install, PrivateLibrariesAndIconsCarryTheApplicationsNameAndTheProgramRunsFromAFreshHome)
{
    QTemporaryDir prefix, home, work;
    // The component keeps the build folder's install_manifest.txt, which
    // names what a user installed, untouched.
    QProcess install;
    install.start(CMAKE_COMMAND, {"--install", KELVORA_BUILD_DIR, "--prefix", prefix.path(), "--component", "Unspecified"});
    ASSERT_TRUE(install.waitForFinished(120000));
    ASSERT_EQ(install.exitCode(), 0) << install.readAllStandardError().toStdString();

    const QDir lib(prefix.filePath("lib"));
    EXPECT_EQ(lib.entryList(QDir::AllEntries | QDir::NoDotAndDotDot).join(" ").toStdString(), "kelvora")
        << "the project's own libraries stay out of the shared lib folder";
    EXPECT_TRUE(QFileInfo::exists(lib.filePath("kelvora/libVantel.so")));
    EXPECT_TRUE(QFileInfo::exists(lib.filePath("kelvora/libFoundation.so")));
    QDirIterator icons(prefix.filePath("share/icons"), QDir::Files, QDirIterator::Subdirectories);
    int iconCount = 0;
    while (icons.hasNext()) {
        QFileInfo icon(icons.next());
        ++iconCount;
        EXPECT_TRUE(icon.fileName().startsWith("kelvora")) << icon.filePath().toStdString();
    }
    EXPECT_GT(iconCount, 0);

    const QString kelvora = prefix.filePath("bin/kelvora");
    ProgramRun version = runIn(kelvora, {"--version"}, work.path(), home.path());
    EXPECT_EQ(version.exitCode, 0) << version.err.toStdString();
    EXPECT_EQ(version.out.toStdString(), "kelvora 1.0\n");
    ProgramRun summary = runIn(kelvora, {"actions", "summary", "Make Archives"}, work.path(), home.path());
    EXPECT_EQ(summary.exitCode, 0) << summary.err.toStdString();
    EXPECT_TRUE(summary.out.contains("--format")) << summary.out.toStdString();
    for (const char* program : {"bin/sellwick", "bin/tollbeck"}) {
        QProcess ldd;
        ldd.start("ldd", {prefix.filePath(program)});
        ASSERT_TRUE(ldd.waitForFinished());
        EXPECT_FALSE(ldd.readAllStandardOutput().contains("not found")) << program;
    }

    // The README's examples, as written, in a folder holding report.pdf.
    QFile report(work.filePath("report.pdf"));
    ASSERT_TRUE(report.open(QIODevice::WriteOnly));
    report.write("%PDF-1.4\n");
    report.close();
    ProgramRun made = runIn(kelvora, {"actions", "run", "Make Archives", "--files", "report.pdf", "--format", "sevenzip",
                               "--destination", "."},
                     work.path(), home.path());
    EXPECT_EQ(made.exitCode, 0) << made.err.toStdString();
    EXPECT_EQ(made.out.toStdString(), work.filePath("Archive.7z").toStdString() + "\n");
    QDir(work.path()).mkdir("photos");
    QProcess::execute("zip", {"-qj", work.filePath("photos.zip"), work.filePath("report.pdf")});
    ProgramRun extracted = runIn(kelvora, {"actions", "run", "Extract Archive", "--files", "photos.zip", "--destination", "photos"},
                          work.path(), home.path());
    EXPECT_EQ(extracted.exitCode, 0) << extracted.err.toStdString();
    EXPECT_EQ(extracted.out.toStdString(), work.filePath("photos/report.pdf").toStdString() + "\n");
}
