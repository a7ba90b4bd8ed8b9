// kelvora: the archive utility. `kelvora actions …` runs the automation
// actions without a window.

#include "Kelvora/Intents/ActionCatalog.h"
#include "Platform/Intents/ActionsHost.h"

#include <QCoreApplication>

#include <cstring>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

int runActions(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("kelvora");
    std::vector<std::string> args(argv + 2, argv + argc);
    return Intents::runActionsHost(applicationActions(), args, {std::cout, std::cerr, isatty(STDERR_FILENO) == 1});
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "actions") == 0)
        return runActions(argc, argv);
    std::cerr << "usage: kelvora actions (list | summary | run) …\n";
    return 2;
}
