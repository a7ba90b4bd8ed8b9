#include "ShellFixture.h"

#include "Kelvora/FileViewController.h"
#include "Kelvora/TaskManager.h"
#include "tests/support/EventLoop.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

#include <cstdlib>
#include <fstream>

void ShellTest::SetUp()
{
    delegate = std::make_shared<AppDelegate>();
    AppKit::Application::shared().setDelegate(delegate);
}

void ShellTest::TearDown()
{
    for (const auto& window : AppKit::Window::orderedWindows())
        window->close();
    TestSupport::drainEvents();
}

std::vector<AppKit::WindowPtr> ShellTest::browserWindows()
{
    std::vector<AppKit::WindowPtr> result;
    for (const auto& window : AppKit::Application::shared().orderedWindows())
        if (window->isVisible() && std::dynamic_pointer_cast<FileViewController>(window->contentViewController()))
            result.push_back(window);
    return result;
}

std::string ShellTest::writeFile(const std::string& name, const std::string& contents)
{
    const std::string path = TestSupport::scratchDirectory() + "/" + name;
    std::ofstream(path) << contents;
    return path;
}

std::string ShellTest::makeZip(const std::string& name)
{
    const std::string dir = TestSupport::scratchDirectory();
    writeFile("inside.txt", "inside");
    const std::string command = "cd '" + dir + "' && zip -q '" + name + "' inside.txt";
    EXPECT_EQ(std::system(command.c_str()), 0);
    return dir + "/" + name;
}

FakeTask::FakeTask()
    : progress_(Foundation::Progress::make(100))
{
    progress_->setCancellationHandler([this] { cancel(); });
}

void FakeTask::cancel()
{
    if (cancelled)
        return;
    cancelled = true;
    if (onCancel)
        onCancel();
}

QWidget* shownAlert()
{
    for (auto* widget : QApplication::allWidgets())
        if (widget->objectName() == QLatin1String("alert") && widget->isVisible())
            return widget;
    return nullptr;
}

AppKit::AlertStyle alertStyle(QWidget* alert)
{
    return static_cast<AppKit::AlertStyle>(alert->property("alertStyle").toInt());
}

std::string messageText(QWidget* alert)
{
    auto* label = alert->findChild<QLabel*>(QStringLiteral("messageText"));
    return label ? label->text().toStdString() : std::string();
}

std::string informativeText(QWidget* alert)
{
    auto* label = alert->findChild<QLabel*>(QStringLiteral("informativeText"));
    return label ? label->text().toStdString() : std::string();
}

std::vector<std::string> buttonTitles(QWidget* alert)
{
    std::vector<std::pair<int, std::string>> ordered;
    for (auto* button : alert->findChildren<QPushButton*>())
        if (button->property("sheetButtonIndex").isValid())
            ordered.emplace_back(button->property("sheetButtonIndex").toInt(), button->text().toStdString());
    std::sort(ordered.begin(), ordered.end());
    std::vector<std::string> titles;
    for (auto& [index, title] : ordered)
        titles.push_back(title);
    return titles;
}

void pressButton(QWidget* alert, const std::string& title)
{
    for (auto* button : alert->findChildren<QPushButton*>())
        if (button->text().toStdString() == title) {
            button->click();
            return;
        }
    ADD_FAILURE() << "no button " << title;
}
