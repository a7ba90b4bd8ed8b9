// The main of every test binary: an offscreen Qt application in a process
// whose HOME, XDG folders and TMPDIR are fresh temporary folders, removed at
// the end, so no test touches the user's files.

#include <gtest/gtest.h>

#include <QApplication>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

std::string makeSandbox()
{
    const char* base = std::getenv("TMPDIR");
    std::string tmpl = std::string(base && *base ? base : "/tmp") + "/kelvora-test-XXXXXX";
    if (!mkdtemp(tmpl.data())) {
        perror("mkdtemp");
        std::exit(2);
    }
    return tmpl;
}

void setFolder(const char* variable, const std::string& path)
{
    std::filesystem::create_directories(path);
    setenv(variable, path.c_str(), 1);
}

} // namespace

int main(int argc, char** argv)
{
    // A child started by a test keeps the sandbox of its parent.
    const bool inherited = std::getenv("KELVORA_TEST_SANDBOX") != nullptr;
    std::string sandbox = inherited ? std::getenv("KELVORA_TEST_SANDBOX") : makeSandbox();
    if (!inherited) {
        setenv("KELVORA_TEST_SANDBOX", sandbox.c_str(), 1);
        setFolder("HOME", sandbox + "/home");
        setFolder("XDG_CONFIG_HOME", sandbox + "/home/.config");
        setFolder("XDG_CACHE_HOME", sandbox + "/home/.cache");
        setFolder("XDG_DATA_HOME", sandbox + "/home/.local/share");
        setFolder("XDG_STATE_HOME", sandbox + "/home/.local/state");
        setFolder("XDG_RUNTIME_DIR", sandbox + "/run");
        std::filesystem::permissions(sandbox + "/run", std::filesystem::perms::owner_all);
        setFolder("TMPDIR", sandbox + "/tmp");
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (!std::getenv("LANG"))
        setenv("LANG", "C.UTF-8", 1);
    unsetenv("XDG_DOCUMENTS_DIR");

    int rc;
    {
        QApplication app(argc, argv);
        ::testing::InitGoogleTest(&argc, argv);
        rc = RUN_ALL_TESTS();
    }
    if (!inherited) {
        std::error_code ec;
        std::filesystem::remove_all(sandbox, ec);
    }
    return rc;
}
