// Any bytes as an archive: analysed through ZODArchiver, every root entry
// extracted into a fresh folder. Aborts when anything is written outside
// that folder or a name appears there that the analysed tree does not hold
// (a temporary or staging file left behind, a path the tree never showed).

#include "Brackwen/ZODArchiver.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <signal.h>
#include <string>
#include <sys/resource.h>

namespace fs = std::filesystem;

namespace {

fs::path sandbox;

[[noreturn]] void fail(const std::string& what)
{
    std::fprintf(stderr, "extract_fuzzer: %s\n", what.c_str());
    std::abort();
}

void collect(const ZODArchiveDirectoryPtr& directory, const std::string& prefix, std::set<std::string>& paths)
{
    for (const auto& d : directory->directories()) {
        paths.insert(prefix + d->name());
        collect(d, prefix + d->name() + "/", paths);
    }
    for (const auto& f : directory->files())
        paths.insert(prefix + f->name());
}

template <class Result, class Start>
Result await(Start start)
{
    Result result{};
    Dispatch::Semaphore done;
    start(result, done);
    done.wait();
    return result;
}

struct Analysis {
    ZODArchiveDirectoryPtr root;
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The 7zz backend is another program: only the engine's own reading is fuzzed.
    ::setenv("KELVORA_7ZZ", "/nonexistent/7zz", 1);
    ::setenv("LANG", "C.UTF-8", 1);
    // Small inputs may inflate to a lot: writes past 64 MiB fail (EFBIG).
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{64 << 20, 64 << 20};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    char pattern[] = "/tmp/kelvora-fuzz-XXXXXX";
    if (!::mkdtemp(pattern))
        fail("no scratch folder");
    sandbox = pattern;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const fs::path archive = sandbox / "input.bin";
    const fs::path destination = sandbox / "out";
    {
        std::ofstream out(archive, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    fs::create_directory(destination);

    auto analysis = await<Analysis>([&](Analysis& result, Dispatch::Semaphore& done) {
        ZODArchiver::analyzeArchiveInPaths(
            {archive.string()}, [] { return std::optional<std::string>(); }, nullptr,
            [&](ZODArchiveDirectoryPtr root, Foundation::ErrorPtr, ZODArchiverTaskPtr) {
                result.root = std::move(root);
                done.signal();
            },
            Dispatch::globalQueue(), Dispatch::globalQueue())
            ->resume();
    });

    if (analysis.root) {
        std::vector<std::string> items;
        for (const auto& d : analysis.root->directories())
            items.push_back(d->name());
        for (const auto& f : analysis.root->files())
            items.push_back(f->name());
        await<bool>([&](bool&, Dispatch::Semaphore& done) {
            ZODArchiver::decompressArchiveInPaths(
                {archive.string()}, destination.string(), analysis.root, items, analysis.root->size(),
                analysis.root->itemCount(), std::nullopt, 0, nullptr, [] { return std::optional<std::string>(); },
                [](const std::string&) { return static_cast<uint64_t>(ArchiverConflictResolving::replaceAll); },
                [&](bool, Foundation::ErrorPtr, ZODArchiverTaskPtr) { done.signal(); }, Dispatch::globalQueue(),
                Dispatch::globalQueue())
                ->resume();
        });
    }

    for (const auto& entry : fs::directory_iterator(sandbox))
        if (entry.path() != archive && entry.path() != destination)
            fail("written outside the destination: " + entry.path().string());
    std::set<std::string> shown;
    if (analysis.root)
        collect(analysis.root, {}, shown);
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(destination, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        const std::string relative = it->path().lexically_relative(destination).string();
        if (!shown.count(relative))
            fail("left in the destination but not in the archive's tree: " + relative);
    }
    fs::remove_all(destination);
    return 0;
}
