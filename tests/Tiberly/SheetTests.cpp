#include "Tiberly/SheetPresentation.h"
#include "Platform/AppKit/Window.h"
#include "tests/support/EventLoop.h"
#include "tests/support/UiDriver.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMainWindow>

using namespace AppKit;

TEST(TextInput, GivesTheTypedTextOnOkAndNoneOnCancel)
{
    auto controller = std::make_shared<ViewController>();
    auto window = Window::withContentViewController(controller);
    window->makeKeyAndOrderFront();
    struct Case {
        int button;
        bool secure;
        std::optional<std::string> expected;
    };
    for (const Case& c : {Case{0, true, "s3cret"}, Case{1, false, std::nullopt}}) {
        std::vector<std::optional<std::string>> answers;
        Tiberly::showTextInput(*controller, "Passphrase", "Enter it", "OK", "Cancel", c.secure,
                               [&](std::optional<std::string> text) { answers.push_back(text); });
        auto sheet = TestSupport::waitForSheet(window);
        ASSERT_TRUE(sheet);
        EXPECT_EQ(sheet->widget()->findChild<QLineEdit*>()->echoMode(),
                  c.secure ? QLineEdit::Password : QLineEdit::Normal);
        ASSERT_TRUE(TestSupport::typeIntoSheet(window, "s3cret"));
        ASSERT_TRUE(TestSupport::pressSheetButton(window, c.button));
        window->endSheet(sheet, ModalResponseAbort);
        TestSupport::drainEvents();
        EXPECT_EQ(answers, (std::vector<std::optional<std::string>>{c.expected}));
    }
}
