// Tollbeck's window answered from the keyboard: Return presses OK, Escape
// Cancel, wherever in the form the focus is.

#include "Tollbeck/ActionViewController.h"
#include "tests/Extensions/ExtensionTestSupport.h"
#include "tests/support/EventLoop.h"
#include "tests/support/UiDriver.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QMainWindow>
#include <QTest>

namespace {

using namespace ExtensionTests;

using TollbeckRequest = Request<Tollbeck::ActionViewController>;

TEST(TollbeckKeyboard, ReturnPressesOKAndEscapeCancels)
{
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool made;
    };
    for (const Case& c : {Case{Qt::Key_Return, Qt::NoModifier, true}, Case{Qt::Key_Enter, Qt::KeypadModifier, true},
                          Case{Qt::Key_Escape, Qt::NoModifier, false}}) {
        const std::string file = writeFile(makeFolder("keys") + "/notes.txt", "notes");
        TollbeckRequest request({file});
        request.start();
        QWidget* focus = nullptr;
        ASSERT_TRUE(TestSupport::waitUntil([&] {
            focus = QApplication::focusWidget();
            return focus && focus->window() == request.window()->widget();
        }));
        QTest::keyClick(focus, c.key, c.modifiers);
        if (c.made) {
            // OK ran: the archive is made and its save panel asks where it goes.
            ASSERT_TRUE(TestSupport::waitUntil([&] {
                for (auto* panel : request.window()->widget()->findChildren<QFileDialog*>())
                    if (panel->isVisible())
                        return true;
                return false;
            }));
            ASSERT_TRUE(TestSupport::cancelPanel(request.window()));
        }
        ASSERT_TRUE(request.waitForEnd());
        EXPECT_EQ(request.controller->currentLoadedAttachments().size(), c.made ? 1u : 0u);
    }
}

} // namespace
