// Times the archive search on a generated tree (folders x files entries,
// made as a tar by Python and analysed by the engine), offscreen: the walk
// alone, a search from start to its results on screen, the longest the
// main thread is held by it, a re-sort of the results, and a query
// typed while a slower one still runs. Each figure is the best of --repeat.
//
//   kelvora_search_bench [--folders N] [--files N] [--repeat N]

#include "Brackwen/ZODArchiver.h"
#include "Kelvora/SearchResultViewController.h"
#include "Platform/Dispatch/Dispatch.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

double milliseconds(const std::function<void()>& body)
{
    QElapsedTimer timer;
    timer.start();
    body();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

double best(int repeat, const std::function<void()>& body)
{
    double b = 1e30;
    for (int i = 0; i < repeat; ++i)
        b = std::min(b, milliseconds(body));
    return b;
}

ZODArchiveDirectoryPtr analyze(const std::string& archive)
{
    ZODArchiveDirectoryPtr root;
    Dispatch::Semaphore done;
    auto task = ZODArchiver::analyzeArchiveInPaths(
        {archive}, nullptr, nullptr,
        [&](ZODArchiveDirectoryPtr directory, Foundation::ErrorPtr, ZODArchiverTaskPtr) {
            root = std::move(directory);
            done.signal();
        },
        Dispatch::globalQueue(), Dispatch::globalQueue());
    task->resume();
    done.wait();
    if (!root) {
        std::fprintf(stderr, "analysis failed: %s\n", archive.c_str());
        std::exit(1);
    }
    return root;
}

// Runs the main loop until the list has shown the latest query's results;
// gives the longest the loop was kept busy at once (the delivery's stall).
double waitForResults(SearchResultViewController& list)
{
    double longest = 0;
    while (list.progressIndicator()->isAnimating())
        longest = std::max(longest, milliseconds([] { QCoreApplication::processEvents(QEventLoop::AllEvents, 5); }));
    return longest;
}

} // namespace

int main(int argc, char** argv)
{
    int folders = 1000, files = 100, repeat = 3;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string flag = argv[i];
        const int value = std::atoi(argv[i + 1]);
        if (flag == "--folders")
            folders = value;
        else if (flag == "--files")
            files = value;
        else if (flag == "--repeat")
            repeat = std::max(1, value);
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);

    const fs::path folder = fs::temp_directory_path() / ("kelvora-search-bench-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const std::string tar = (folder / "tree.tar").string();
    const std::string script = "import io, tarfile\n"
                               "with tarfile.open('" + tar + "', 'w') as t:\n"
                               "    for d in range(" + std::to_string(folders) + "):\n"
                               "        for f in range(" + std::to_string(files) + "):\n"
                               "            t.addfile(tarfile.TarInfo(f'folder{d}/file{f}.txt'), io.BytesIO(b''))\n";
    const std::string command = "python3 -c \"$KELVORA_SCRIPT\"";
    setenv("KELVORA_SCRIPT", script.c_str(), 1);
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "could not write %s\n", tar.c_str());
        return 1;
    }
    const auto root = analyze(tar);
    std::printf("tree: %d folders x %d files = %lld entries\n", folders, files,
                static_cast<long long>(root->itemCount()));

    auto list = std::make_shared<SearchResultViewController>(root);
    list->view();
    auto operation = Foundation::BlockOperation::make([] {});

    for (const char* query : {"file12.", "folder", ".txt"}) {
        size_t count = 0;
        const double walk = best(repeat, [&] { count = searchDirectoryTree(root, query, *operation)->size(); });
        double stall = 1e30;
        const double search = best(repeat, [&] {
            list->search(query, nullptr);
            stall = std::min(stall, waitForResults(*list));
        });
        const double sort = best(repeat, [&] { list->applySortDescriptors(); });
        std::printf("query \"%s\": %zu results; walk %.1f ms, search to results %.1f ms, "
                    "longest main-thread stall %.1f ms, re-sort %.1f ms\n",
                    query, count, walk, search, stall, sort);
    }
    const double superseded = best(repeat, [&] {
        list->search(".txt", nullptr);
        list->search("file12.", nullptr);
        waitForResults(*list);
    });
    std::printf("\"file12.\" typed while \".txt\" runs: results after %.1f ms\n", superseded);

    list.reset();
    fs::remove_all(folder);
    return 0;
}
