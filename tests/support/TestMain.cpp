// The main of every test binary: an offscreen Qt application in a process
// whose HOME, XDG folders and TMPDIR are fresh temporary folders, removed at
// the end, so no test touches the user's files.

#include <gtest/gtest.h>

#include <QApplication>

#include <cstdlib>
#include <filesystem>
#include <string>

// Sanitizer settings live in the binary so that they hold however the test
// is started (ctest, by hand, or as a child of another test).
extern "C" const char* __asan_default_options()
{
    return "detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=0";
}

extern "C" const char* __ubsan_default_options()
{
    return "print_stacktrace=1:halt_on_error=1";
}

// Allocations that libraries keep for the life of the process, and
// libarchive 3.6.2's buffers and compressor state after a cancelled or
// failed write, which it frees only on a successful close (their stacks end
// in the compression libraries, which carry no frame pointers).
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\n"
           "leak:libQt6Gui\n"
           "leak:libQt6Core\n"
           "leak:libQt6Widgets\n"
           "leak:libQt6DBus\n"
           "leak:libdbus-1\n"
           "leak:libglib-2.0\n"
           "leak:libarchive.so\n"
           "leak:libz.so\n"
           "leak:liblzma.so\n"
           "leak:libzstd.so\n"
           "leak:libbz2.so\n";
}

// Qt is not built with ThreadSanitizer, so its own synchronisation is invisible.
extern "C" const char* __tsan_default_suppressions()
{
    return "called_from_lib:libQt6Core.so.6\n"
           "called_from_lib:libQt6Gui.so.6\n"
           "called_from_lib:libQt6Widgets.so.6\n"
           "race:libQt6Core\n";
}

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
    setenv("LANG", "C.UTF-8", 1);
    setenv("LC_ALL", "C.UTF-8", 1);
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
