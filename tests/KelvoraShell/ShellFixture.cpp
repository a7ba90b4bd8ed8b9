#include "ShellFixture.h"

#include "Kelvora/FileViewController.h"
#include "Kelvora/TaskManager.h"
#include "tests/support/EventLoop.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>

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

QMessageBox* shownAlert()
{
    if (auto* modal = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
        return modal;
    for (auto* widget : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible())
            return box;
    for (auto* widget : QApplication::topLevelWidgets())
        for (auto* box : widget->findChildren<QMessageBox*>())
            if (box->isVisible())
                return box;
    return nullptr;
}

std::vector<std::string> buttonTitles(QMessageBox* box)
{
    std::vector<std::pair<long long, std::string>> ordered;
    for (auto* button : box->buttons())
        ordered.emplace_back(button->property("alertResponse").toLongLong(), button->text().toStdString());
    std::sort(ordered.begin(), ordered.end());
    std::vector<std::string> titles;
    for (auto& [response, title] : ordered)
        titles.push_back(title);
    return titles;
}

void pressButton(QMessageBox* box, const std::string& title)
{
    for (auto* button : box->buttons())
        if (button->text().toStdString() == title) {
            button->click();
            return;
        }
    ADD_FAILURE() << "no button " << title;
}
