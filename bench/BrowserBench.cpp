// Browser benchmark: a generated 100,000-entry tar (1,000 folders of 100
// files, plus one folder of 10,000) opened in a real browser window
// offscreen. Prints analysis and whole-open times against `bsdtar -tf`
// (best of --repeat N runs, default 3), listing the root, entering the large
// folder, re-sorting it by each column, and resident memory before and after.
// Goals: listing, entering and each re-sort within 100 ms; the whole open
// within 1.3x bsdtar -tf.

#include "Kelvora/ArchiveWindowController.h"
#include "Kelvora/FileViewController.h"
#include "Platform/AppKit/TableView.h"
#include "Platform/Dispatch/Dispatch.h"
#include "Platform/Foundation/StringEncoding.h"
#include "Vantel/Archiver.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>

namespace {

double residentMiB()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// Runs the event loop until the condition holds; false after a minute.
bool runUntil(const std::function<bool()>& done)
{
    QElapsedTimer limit;
    limit.start();
    while (!done()) {
        if (limit.elapsed() > 60000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// Times the work plus the events it leaves (layout and painting), in ms.
double timed(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

bool makeCorpus(const QString& folder)
{
    const char* script = R"(
import io, tarfile, time
now = time.time()
with tarfile.open('corpus.tar', 'w', format=tarfile.PAX_FORMAT) as tar:
    def add(name, size):
        info = tarfile.TarInfo(name)
        info.size = size
        info.mtime = now - size * 60
        tar.addfile(info, io.BytesIO(b'x' * size))
    for d in range(1000):
        for f in range(100):
            add('folder%04d/file%03d.%s' % (d, f, ('txt', 'png', 'c')[f % 3]), (d * 7 + f * 13) % 200)
    for f in range(10000):
        add('large/item%05d.%s' % (f, ('txt', 'jpg', 'h', 'md')[f % 4]), (f * 7919) % 500)
)";
    QProcess python;
    python.setWorkingDirectory(folder);
    python.start(QStringLiteral("python3"), {QStringLiteral("-c"), QString::fromUtf8(script)});
    return python.waitForFinished(600000) && python.exitCode() == 0;
}

double bsdtarListing(const std::string& path)
{
    QProcess bsdtar;
    bsdtar.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    bsdtar.start(QStringLiteral("bsdtar"), {QStringLiteral("-tf"), QString::fromStdString(path)});
    if (!bsdtar.waitForFinished(600000) || bsdtar.exitCode() != 0)
        return -1;
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

void report(const char* what, double ms, double goal)
{
    std::printf("%-34s %9.1f ms   (goal <= %.0f ms)%s\n", what, ms, goal, ms <= goal ? "" : "   MISSED");
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir sandbox;
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"}) {
        const QString folder = sandbox.path() + QLatin1Char('/') + QString::fromLatin1(name);
        QDir().mkpath(folder);
        setenv(name, folder.toLocal8Bit().constData(), 1);
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    const int repeats = argc > 2 && std::string(argv[1]) == "--repeat" ? std::max(1, std::atoi(argv[2])) : 3;

    std::printf("generating the corpus (110,000 entries)...\n");
    if (!makeCorpus(sandbox.path())) {
        std::fprintf(stderr, "python3 could not write the corpus\n");
        return 1;
    }
    const std::string path = (sandbox.path() + QStringLiteral("/corpus.tar")).toStdString();
    // Best of a few runs each: the machine may be shared, and the first
    // read of the file warms the page cache for all that follow.
    double bsdtar = 1e12;
    for (int run = 0; run < repeats; ++run)
        bsdtar = std::min(bsdtar, bsdtarListing(path));

    // The engine's analysis alone.
    double analysis = 1e12;
    QElapsedTimer timer;
    for (int run = 0; run < repeats; ++run) {
        ZODArchiveDirectoryPtr analysed;
        timer.start();
        auto task = Vantel::analyze(
            {path}, [] { return std::optional<std::string>(); },
            [](const char*) -> uint64_t { return Foundation::Encoding::UTF8; },
            [&](Vantel::AnalysisResult result, ZODArchiverTaskPtr) {
                if (result.isSuccess())
                    analysed = result.value();
            },
            Dispatch::globalQueue(), Dispatch::mainQueue());
        task->resume();
        if (!runUntil([&] { return analysed != nullptr; })) {
            std::fprintf(stderr, "analysis failed\n");
            return 1;
        }
        analysis = std::min(analysis, static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }

    auto controller = ArchiveWindowController::make();
    auto window = controller->window();
    auto browser = controller->fileViewController();
    window->makeKeyAndOrderFront();
    QCoreApplication::processEvents();
    const double before = residentMiB();

    double open = 1e12;
    for (int run = 0; run < repeats; ++run) {
        const auto previous = browser->rootDirectory;
        timer.restart();
        browser->loadArchive({path}, false);
        if (!runUntil([&] { return browser->rootDirectory != previous && browser->tasks.empty(); })) {
            std::fprintf(stderr, "the browser did not open the archive\n");
            return 1;
        }
        QCoreApplication::processEvents();
        open = std::min(open, static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    const auto root = browser->rootDirectory;
    const double listing = timed([&] {
        browser->updatePathControl(root);
        browser->showDirectory(root);
    });

    ZODArchiveDirectoryPtr large;
    for (const auto& directory : root->directories())
        if (directory->name() == "large")
            large = directory;
    const double entering = timed([&] {
        browser->updatePathControl(large);
        browser->pushHistory(large);
        browser->showDirectory(large);
    });
    const double after = residentMiB();

    std::printf("\nbsdtar -tf                         %9.1f ms\n", bsdtar);
    std::printf("analysis (engine)                  %9.1f ms   (%.2fx bsdtar)\n", analysis, analysis / bsdtar);
    std::printf("whole open in the browser          %9.1f ms   (%.2fx bsdtar, goal <= 1.30x)%s\n", open,
                open / bsdtar, open <= 1.3 * bsdtar ? "" : "   MISSED");
    std::printf("open minus analysis                %9.1f ms\n", open - analysis);
    report("list the root (1,001 rows)", listing, 100);
    report("enter the 10,000-entry folder", entering, 100);
    for (const auto& column : browser->tableView->tableColumns()) {
        if (!column->sortDescriptorPrototype)
            continue;
        for (bool ascending : {false, true}) {
            auto descriptor = *column->sortDescriptorPrototype;
            if (!ascending)
                descriptor = descriptor.reversed();
            const double sort = timed([&] { browser->tableView->setSortDescriptors({descriptor}); });
            const std::string what = "re-sort by " + column->identifier() + (ascending ? " up" : " down");
            report(what.c_str(), sort, 100);
        }
    }
    std::printf("resident memory                    %9.1f MiB before, %.1f MiB after opening\n", before, after);
    window->close();
    QCoreApplication::processEvents();
    return 0;
}
