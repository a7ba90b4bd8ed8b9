// The window application's start, loaded by the program (main.cpp) only
// when it starts one: help and version, the archives on the command line,
// the hand-off to a running instance.

#include "Kelvora/ApplicationMain.h"

#include "Kelvora/AppDelegate.h"
#include "Platform/AppKit/Application.h"
#include "Platform/AppKit/SingleInstance.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QIcon>

#include <iostream>
#include <string>
#include <vector>

namespace {

struct CommandLine {
    QCommandLineParser parser;
    QCommandLineOption help = parser.addHelpOption();
    QCommandLineOption version = parser.addVersionOption();

    CommandLine()
    {
        parser.setApplicationDescription(
            "Opens the archives in a browser window (the volumes of a multi-volume archive together).\n"
            "Also: kelvora actions list | summary \"<title>\" | run \"<title>\" --<parameter> <value>...\n"
            "runs the automation actions without a window (kelvora actions, for its usage).");
        parser.addPositionalArgument("archives", "The archive, or the volumes of one archive, to open.",
                                     "[archives...]");
    }
};

QStringList argumentList(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

} // namespace

int kelvoraApplicationMain(int argc, char** argv, const char* version)
{
    QCoreApplication::setApplicationName("kelvora");
    QCoreApplication::setApplicationVersion(version);
    // Help and version need no display: answered before the application exists.
    {
        CommandLine early;
        early.parser.parse(argumentList(argc, argv));
        if (early.parser.isSet(early.help)) {
            // Without an application the parser cannot know the program's name.
            std::cout << early.parser.helpText().replace("<executable_name>", "kelvora").toStdString();
            return 0;
        }
        if (early.parser.isSet(early.version)) {
            std::cout << "kelvora " << version << "\n";
            return 0;
        }
    }

    QApplication app(argc, argv);
    QCoreApplication::setOrganizationDomain("tarnu.com");
    QGuiApplication::setApplicationDisplayName("Kelvora");
    QGuiApplication::setDesktopFileName("kelvora");
    QIcon::setFallbackSearchPaths(QIcon::fallbackSearchPaths() << QStringLiteral(":/icons"));
    QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/kelvora-128.png")));

    // What is left once Qt took its own options; unknown options end here.
    CommandLine commandLine;
    commandLine.parser.process(app);

    std::vector<std::string> paths;
    for (const QString& argument : commandLine.parser.positionalArguments()) {
        QFileInfo info(argument);
        if (!info.exists())
            std::cerr << "kelvora: " << info.absoluteFilePath().toStdString() << " could not be read: it does not exist\n";
        paths.push_back(info.absoluteFilePath().toStdString());
    }

    AppKit::SingleInstance instance("kelvora");
    if (!instance.claim(paths))
        return 0;

    auto& application = AppKit::Application::shared();
    auto delegate = std::make_shared<AppDelegate>();
    application.setDelegate(delegate);
    application.setMainMenu(delegate->makeMainMenu());
    return application.run(paths);
}
