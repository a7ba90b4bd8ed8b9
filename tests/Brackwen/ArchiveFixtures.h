#pragma once
// Archives made at test time by independent producers, and a synchronous
// way to run an engine task from a test (the main loop serves completions).

#include "Brackwen/ZODArchiver.h"

#include <optional>
#include <string>
#include <vector>

namespace Fixtures {

struct Run {
    int status = -1;
    std::string output;
};

// Runs a shell command in `directory` (stdout and stderr together).
Run run(const std::string& command, const std::string& directory = {});
// Runs a Python 3 script (passed on stdin) in `directory`.
Run python(const std::string& script, const std::string& directory = {});

std::string quoted(const std::string& text);
void writeFile(const std::string& path, const std::string& content);
std::string readFile(const std::string& path);
std::string randomBytes(size_t size, unsigned seed = 1);
// A fresh folder inside the test's scratch folder.
std::string makeFolder(const std::string& name);
// Every path below root, relative, folders ending in "/", sorted.
std::vector<std::string> listTree(const std::string& root);
// Every path of an analysed tree, same shape as listTree.
std::vector<std::string> listTree(const ZODArchiveDirectoryPtr& root);

struct Analysis {
    ZODArchiveDirectoryPtr root;
    Foundation::ErrorPtr error;
};
Analysis analyze(const std::vector<std::string>& paths, ZODArchiver::PasswordHandler password = nullptr,
                 ZODArchiver::EncodingHandler encoding = nullptr);

struct ExtractOptions {
    std::optional<std::string> password;
    uint64_t encoding = 0;
    ZODArchiver::PasswordHandler passwordHandler;
    ZODArchiver::ConflictHandler conflictHandler;
    Foundation::ProgressPtr progress;
};
// Extracts the named children of `directory` (all of them when names is
// absent); returns the error, null on success.
Foundation::ErrorPtr extract(const std::vector<std::string>& paths, const std::string& destination,
                             const ZODArchiveDirectoryPtr& directory,
                             std::optional<std::vector<std::string>> names = std::nullopt,
                             ExtractOptions options = {});

int64_t codeOf(const Foundation::ErrorPtr& error);

} // namespace Fixtures
