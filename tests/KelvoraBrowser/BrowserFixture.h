#pragma once
// A real browser window offscreen, archives made by independent tools, and
// helpers that answer the browser's sheets and panels.

#include "Kelvora/ArchiveWindowController.h"
#include "Kelvora/FileViewController.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

class BrowserTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Opens the archive and waits until it is listed.
    void open(const std::vector<std::string>& paths);
    // Enters a folder as a double-click does.
    void enter(const std::string& name);
    std::vector<std::string> listedNames() const;
    // The message text of the alert attached to the window (waits for one).
    std::string sheetMessage();
    // Accepts the attached open panel with the path.
    bool choosePanelPath(const std::string& path);
    void waitForNoTasks();

    static std::string scratch(const std::string& name);
    // Runs a program in the folder; fails the test on a non-zero exit.
    static void run(const std::string& folder, const std::vector<std::string>& arguments);
    static void writeFile(const std::string& path, const std::string& contents);
    static std::string readFile(const std::string& path);

    ArchiveWindowControllerPtr controller;
    AppKit::WindowPtr window;
    FileViewControllerPtr browser;
};
