// kelvora: the archive utility. `kelvora actions …` runs the automation
// actions without a window; otherwise the application starts with the
// archives named on the command line, or, when it runs already, hands them
// to the running instance and ends.

#include "Kelvora/AppDelegate.h"
#include "Kelvora/Intents/ActionCatalog.h"
#include "Platform/AppKit/Application.h"
#include "Platform/AppKit/SingleInstance.h"
#include "Platform/Intents/ActionsHost.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QIcon>

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
    return Intents::runActionsHost(applicationActions(), args,
                                  {std::cout, std::cerr, isatty(STDERR_FILENO) == 1, &std::cin, isatty(STDIN_FILENO) == 1});
}

int runApplication(int argc, char** argv)
{
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName("kelvora");
    QCoreApplication::setOrganizationDomain("tarnu.com");
    QGuiApplication::setApplicationDisplayName("Kelvora");
    QGuiApplication::setDesktopFileName("kelvora");
    QIcon::setFallbackSearchPaths(QIcon::fallbackSearchPaths() << QStringLiteral(":/icons"));
    QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/kelvora-128.png")));

    std::vector<std::string> paths;
    for (const QString& argument : app.arguments().mid(1))
        paths.push_back(QFileInfo(argument).absoluteFilePath().toStdString());

    AppKit::SingleInstance instance("kelvora");
    if (!instance.claim(paths))
        return 0;

    auto& application = AppKit::Application::shared();
    auto delegate = std::make_shared<AppDelegate>();
    application.setDelegate(delegate);
    application.setMainMenu(delegate->makeMainMenu());
    return application.run(paths);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "actions") == 0)
        return runActions(argc, argv);
    return runApplication(argc, argv);
}
