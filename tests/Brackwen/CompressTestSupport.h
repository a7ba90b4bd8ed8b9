#pragma once
// Fixtures for the compression and 7-Zip backend tests: a small source tree
// made at test time, and independent tools run through the shell.

#include "tests/Brackwen/ArchiveFixtures.h"
#include "tests/support/EventLoop.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>

namespace CompressTest {

struct Shell {
    int status;
    std::string output;
};

// Runs a command with its standard error folded into its output.
inline Shell shell(const std::string& command)
{
    Fixtures::Run r = Fixtures::run(command);
    return {r.status, r.output};
}

inline std::string shellQuoted(const std::string& path) { return "'" + path + "'"; }

inline void writeFile(const std::string& path, const std::string& content)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline std::string randomBytes(size_t size, unsigned seed = 7)
{
    std::mt19937 gen(seed);
    std::string s(size, '\0');
    for (auto& c : s)
        c = char(gen());
    return s;
}

// Compressible text: words drawn at random, so it is not one repeated run.
inline std::string textBytes(size_t size, unsigned seed = 5)
{
    static const char* words[] = {"archive ", "folder ", "entry ", "stream ", "block ", "kelvora ", "data\n", "name "};
    std::mt19937 gen(seed);
    std::string s;
    s.reserve(size + 16);
    while (s.size() < size)
        s += words[gen() % 8];
    s.resize(size);
    return s;
}

// <root>/tree: a.txt, sub/b.bin (random), sub/c.txt, link -> a.txt,
// .hidden, sub/.hdir/x.
inline std::string makeTree(const std::string& root)
{
    std::string tree = root + "/tree";
    writeFile(tree + "/a.txt", std::string(20000, 'a') + "end\n");
    writeFile(tree + "/sub/b.bin", randomBytes(200000));
    writeFile(tree + "/sub/c.txt", "c\n");
    writeFile(tree + "/.hidden", "hidden\n");
    writeFile(tree + "/sub/.hdir/x", "x\n");
    std::filesystem::create_symlink("a.txt", tree + "/link");
    return tree;
}

// A fresh folder inside the test's scratch folder.
inline std::string freshFolder(const std::string& name)
{
    std::string path = TestSupport::scratchDirectory() + "/" + name;
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
    return path;
}

} // namespace CompressTest
