// Sellwick's prompts answered from the keyboard: keys go to the widget that
// has the focus when a prompt appears.

#include "Sellwick/ActionViewController.h"
#include "tests/Extensions/ExtensionTestSupport.h"
#include "tests/support/EventLoop.h"
#include "tests/support/UiDriver.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QTest>

#include <filesystem>

namespace {

using namespace ExtensionTests;
namespace fs = std::filesystem;

using SellwickRequest = Request<Sellwick::ActionViewController>;

// The focused widget once it is inside the window's attached sheet.
QWidget* focusInSheet(const AppKit::WindowPtr& window)
{
    QWidget* focus = nullptr;
    TestSupport::waitUntil([&] {
        auto sheet = window->attachedSheet();
        focus = QApplication::focusWidget();
        return sheet && focus && focus->window() == sheet->widget();
    });
    return focus;
}

TEST(SellwickKeyboard, ReturnAnswersThePassphrasePromptAndEscapeCancelsIt)
{
    struct Case {
        Qt::Key key;
        bool extracted;
    };
    for (const Case& c : {Case{Qt::Key_Return, true}, Case{Qt::Key_Escape, false}}) {
        const std::string folder = makeFolder(c.extracted ? "typed" : "escaped");
        writeFile(folder + "/src/top.txt", "top");
        const std::string zip = folder + "/secret.zip";
        ASSERT_TRUE(run("cd " + quoted(folder + "/src") + " && zip -q -P pw " + quoted(zip) + " top.txt"));
        SellwickRequest request({zip});
        request.start();
        ASSERT_TRUE(TestSupport::acceptOpenPanel(request.window(), {folder}));
        auto* field = qobject_cast<QLineEdit*>(focusInSheet(request.window()));
        ASSERT_TRUE(field);
        QTest::keyClicks(field, "pw");
        QTest::keyClick(field, c.key);
        if (!c.extracted) {
            // The failure the missing passphrase leads to is acknowledged with Return.
            auto* button = focusInSheet(request.window());
            ASSERT_TRUE(button);
            QTest::keyClick(button, Qt::Key_Return);
        }
        ASSERT_TRUE(request.waitForEnd());
        EXPECT_EQ(fs::exists(folder + "/top.txt"), c.extracted);
    }
}

} // namespace
