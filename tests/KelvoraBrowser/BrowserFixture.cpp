#include "BrowserFixture.h"

#include "Kelvora/TaskManager.h"
#include "tests/support/EventLoop.h"
#include "tests/support/UiDriver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QProcess>

void BrowserTest::SetUp()
{
    controller = ArchiveWindowController::make();
    window = controller->window();
    browser = controller->fileViewController();
    ASSERT_TRUE(window && browser);
    window->makeKeyAndOrderFront();
}

void BrowserTest::TearDown()
{
    waitForNoTasks();
    while (auto sheet = window->attachedSheet())
        window->endSheet(sheet);
    window->close();
    TestSupport::drainEvents();
}

void BrowserTest::waitForNoTasks()
{
    EXPECT_TRUE(TestSupport::waitUntil([&] { return browser->tasks.empty(); }));
}

void BrowserTest::open(const std::vector<std::string>& paths)
{
    const auto before = browser->rootDirectory;
    browser->loadArchive(paths, true);
    ASSERT_TRUE(TestSupport::waitUntil([&] { return browser->rootDirectory != before && browser->tasks.empty(); }));
}

void BrowserTest::enter(const std::string& name)
{
    for (const auto& directory : browser->currentDirectory->directories())
        if (directory->name() == name) {
            browser->updatePathControl(directory);
            browser->pushHistory(directory);
            browser->showDirectory(directory);
            return;
        }
    FAIL() << "no folder " << name;
}

std::vector<std::string> BrowserTest::listedNames() const
{
    std::vector<std::string> names;
    for (const auto& entry : browser->items)
        names.push_back(entry->name());
    return names;
}

std::string BrowserTest::sheetMessage()
{
    QLabel* label = nullptr;
    TestSupport::waitUntil([&] {
        auto sheet = window->attachedSheet();
        label = sheet ? sheet->widget()->findChild<QLabel*>(QStringLiteral("messageText")) : nullptr;
        return label != nullptr;
    });
    return label ? label->text().toStdString() : std::string();
}

bool BrowserTest::choosePanelPath(const std::string& path)
{
    return TestSupport::acceptOpenPanel(window, {path});
}

std::string BrowserTest::scratch(const std::string& name)
{
    const QString path = QString::fromStdString(TestSupport::scratchDirectory()) + QLatin1Char('/')
        + QString::fromStdString(name);
    QDir().mkpath(path);
    return path.toStdString();
}

void BrowserTest::run(const std::string& folder, const std::vector<std::string>& arguments)
{
    QProcess process;
    process.setWorkingDirectory(QString::fromStdString(folder));
    QStringList rest;
    for (size_t i = 1; i < arguments.size(); ++i)
        rest << QString::fromStdString(arguments[i]);
    process.start(QString::fromStdString(arguments.front()), rest);
    ASSERT_TRUE(process.waitForFinished(60000)) << arguments.front();
    ASSERT_EQ(process.exitCode(), 0) << arguments.front() << ": " << process.readAllStandardError().toStdString();
}

void BrowserTest::writeFile(const std::string& path, const std::string& contents)
{
    QDir().mkpath(QFileInfo(QString::fromStdString(path)).absolutePath());
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(contents.data(), static_cast<qint64>(contents.size()));
}

std::string BrowserTest::readFile(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll().toStdString();
}
