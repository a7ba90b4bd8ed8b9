#include "tests/Brackwen/ArchiveFixtures.h"

#include "tests/support/EventLoop.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace Fixtures {

std::string quoted(const std::string& text)
{
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

Run run(const std::string& command, const std::string& directory)
{
    std::string full = directory.empty() ? command : "cd " + Fixtures::quoted(directory) + " && " + command;
    Run result;
    FILE* pipe = ::popen((full + " 2>&1").c_str(), "r");
    if (!pipe)
        return result;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.output.append(buffer, n);
    int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

Run python(const std::string& script, const std::string& directory)
{
    std::string file = TestSupport::scratchDirectory() + "/fixture.py";
    writeFile(file, script);
    return run("python3 " + Fixtures::quoted(file), directory);
}

void writeFile(const std::string& path, const std::string& content)
{
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string randomBytes(size_t size, unsigned seed)
{
    std::mt19937 gen(seed);
    std::string s(size, '\0');
    for (auto& c : s)
        c = static_cast<char>(gen());
    return s;
}

std::string makeFolder(const std::string& name)
{
    std::string path = TestSupport::scratchDirectory() + "/" + name;
    fs::remove_all(path);
    fs::create_directories(path);
    return path;
}

std::vector<std::string> listTree(const std::string& root)
{
    std::vector<std::string> paths;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        std::string rel = it->path().lexically_relative(root).string();
        paths.push_back(it->is_directory() && !it->is_symlink() ? rel + "/" : rel);
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

std::vector<std::string> listTree(const ZODArchiveDirectoryPtr& root)
{
    std::vector<std::string> paths;
    std::function<void(const ZODArchiveDirectory&)> walk = [&](const ZODArchiveDirectory& d) {
        for (const auto& sub : d.directories()) {
            paths.push_back(sub->normalizedPath() + "/");
            walk(*sub);
        }
        for (const auto& f : d.files())
            paths.push_back(f->normalizedPath());
    };
    if (root)
        walk(*root);
    std::sort(paths.begin(), paths.end());
    return paths;
}

Analysis analyze(const std::vector<std::string>& paths, ZODArchiver::PasswordHandler password,
                 ZODArchiver::EncodingHandler encoding)
{
    auto result = std::make_shared<Analysis>();
    auto done = std::make_shared<std::atomic<bool>>(false);
    auto task = ZODArchiver::analyzeArchiveInPaths(
        paths, std::move(password), std::move(encoding),
        [result, done](ZODArchiveDirectoryPtr root, Foundation::ErrorPtr error, ZODArchiverTaskPtr) {
            result->root = std::move(root);
            result->error = std::move(error);
            done->store(true);
        },
        Dispatch::globalQueue(), Dispatch::mainQueue());
    task->resume();
    TestSupport::waitUntil([&] { return done->load(); }, std::chrono::seconds(60));
    return *result;
}

Foundation::ErrorPtr extract(const std::vector<std::string>& paths, const std::string& destination,
                             const ZODArchiveDirectoryPtr& directory, std::optional<std::vector<std::string>> names,
                             ExtractOptions options)
{
    std::vector<std::string> items;
    if (names)
        items = *names;
    else {
        for (const auto& d : directory->directories())
            items.push_back(d->name());
        for (const auto& f : directory->files())
            items.push_back(f->name());
    }
    auto error = std::make_shared<Foundation::ErrorPtr>();
    auto done = std::make_shared<std::atomic<bool>>(false);
    auto task = ZODArchiver::decompressArchiveInPaths(
        paths, destination, directory, items, directory->size(), directory->itemCount(), options.password,
        options.encoding, options.progress, options.passwordHandler, options.conflictHandler,
        [error, done](bool success, Foundation::ErrorPtr e, ZODArchiverTaskPtr) {
            *error = success ? nullptr : e;
            done->store(true);
        },
        Dispatch::globalQueue(), Dispatch::mainQueue());
    task->resume();
    TestSupport::waitUntil([&] { return done->load(); }, std::chrono::seconds(60));
    return *error;
}

int64_t codeOf(const Foundation::ErrorPtr& error)
{
    return error ? error->code() : 0;
}

} // namespace Fixtures
