#pragma once
// Shared pieces of the action-program tests: files and archives made by
// independent tools, and a request run the way the file manager starts one.

#include "Platform/Extension/ExtensionHost.h"
#include "Platform/Foundation/FileManager.h"
#include "tests/support/EventLoop.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace ExtensionTests {

// A left click in the middle of the widget, as the user's mouse gives it.
inline void click(QWidget* widget)
{
    const QPointF at = QRectF(widget->rect()).center();
    const QPointF global = widget->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, {});
    QApplication::sendEvent(widget, &release);
}

inline std::string makeFolder(const std::string& name)
{
    const std::string path = TestSupport::scratchDirectory() + "/" + name;
    std::filesystem::create_directories(path);
    return path;
}

inline std::string writeFile(const std::string& path, const std::string& contents)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << contents;
    return path;
}

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs a shell command line; true when it exits 0.
inline bool run(const std::string& command)
{
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// What a shell command line prints.
inline std::string output(const std::string& command)
{
    std::string text;
    if (FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r")) {
        char buffer[4096];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            text.append(buffer, n);
        pclose(pipe);
    }
    return text;
}

inline std::string quoted(const std::string& text)
{
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// The folder that holds a run's copies.
inline std::string runFolder(const std::string& uuid)
{
    auto temp = Foundation::FileManager::urlForDirectory(
        Foundation::FileManager::SearchPathDirectory::itemReplacementDirectory);
    return temp.value().appendingPathComponent(uuid).path();
}

// A request as the file manager starts it: one item per path, the
// controller shown in the host's window; the host's exit codes are kept.
template <class Controller>
struct Request {
    explicit Request(const std::vector<std::string>& paths)
        : controller(std::make_shared<Controller>()),
          context(std::make_shared<Extension::ExtensionContext>(Extension::inputItemsForPaths(paths))),
          host(controller, context, "Test", [this](int code) { exitCodes.push_back(code); })
    {
    }
    void start() { host.present(); }
    bool waitForEnd() { return TestSupport::waitUntil([&] { return !exitCodes.empty(); }, std::chrono::seconds(60)); }
    AppKit::WindowPtr window() const { return host.window(); }

    std::shared_ptr<Controller> controller;
    Extension::ExtensionContextPtr context;
    std::vector<int> exitCodes;
    Extension::ExtensionHost host;
};

} // namespace ExtensionTests
