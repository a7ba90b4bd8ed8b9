// kelvora: the archive utility. `kelvora actions …` runs the automation
// actions without a window; --help and --version print and end; otherwise
// the application starts with the archives named on the command line, or,
// when it runs already, hands them to the running instance and ends.

#include "Kelvora/ApplicationMain.h"
#include "Kelvora/Intents/ActionCatalog.h"
#include "Platform/Intents/ActionsHost.h"

#include <QCoreApplication>

#include <cstring>
#include <dlfcn.h>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

int runActions(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("kelvora");
    QCoreApplication::setApplicationVersion(KELVORA_VERSION);
    std::vector<std::string> args(argv + 2, argv + argc);
    return Intents::runActionsHost(applicationActions(), args,
                                  {std::cout, std::cerr, isatty(STDERR_FILENO) == 1, &std::cin, isatty(STDIN_FILENO) == 1});
}

// Loads the library by the program's own search path (its rpath, which
// finds the layers in the build tree and in the installed layout). A plain
// dlopen would use it too, unless a sanitizer's dlopen stands between.
void* openBesideTheLayers(const char* name)
{
    void* self = ::dlopen(nullptr, RTLD_NOW);
    Dl_serinfo size;
    if (self && ::dlinfo(self, RTLD_DI_SERINFOSIZE, &size) == 0) {
        std::vector<char> storage(size.dls_size);
        auto* paths = reinterpret_cast<Dl_serinfo*>(storage.data());
        *paths = size;
        if (::dlinfo(self, RTLD_DI_SERINFO, paths) == 0)
            for (unsigned i = 0; i < paths->dls_cnt; ++i) {
                const std::string candidate = std::string(paths->dls_serpath[i].dls_name) + "/" + name;
                if (::access(candidate.c_str(), R_OK) == 0)
                    return ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
            }
    }
    return ::dlopen(name, RTLD_NOW | RTLD_LOCAL);
}

// The window libraries (Qt Widgets and all below them) take longer to load
// than a quick action takes to run, so only the window application loads
// them, through the library that holds it.
int runApplication(int argc, char** argv)
{
    void* library = openBesideTheLayers("libKelvoraCore.so");
    auto* start = library ? reinterpret_cast<decltype(&kelvoraApplicationMain)>(::dlsym(library, "kelvoraApplicationMain"))
                          : nullptr;
    if (!start) {
        std::cerr << "kelvora: the application library libKelvoraCore.so could not be loaded: " << ::dlerror() << "\n";
        return 1;
    }
    return start(argc, argv, KELVORA_VERSION);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "actions") == 0)
        return runActions(argc, argv);
    return runApplication(argc, argv);
}
