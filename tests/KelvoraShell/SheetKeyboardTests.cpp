// The sheets and alerts a browser shows, answered from the keyboard: keys go
// to the widget that has the focus when the sheet appears.

#include "ShellFixture.h"

#include "Kelvora/MultiVolumeArchiveReorderViewController.h"
#include "Kelvora/Strings.h"
#include "Kelvora/TaskManager.h"
#include "Tiberly/EncodingSelectionController.h"
#include "Tiberly/SheetPresentation.h"
#include "tests/support/EventLoop.h"

#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace {

using Answer = std::optional<std::string>;
using Present = std::function<void(AppKit::ViewController& host, std::function<void(std::string)> answer)>;

std::string response(AppKit::ModalResponse r)
{
    return std::to_string(r);
}

void presentAlert(AppKit::ViewController& host, const std::vector<std::string>& buttons,
                  std::function<void(std::string)> answer)
{
    auto alert = AppKit::Alert::make();
    alert->messageText = "question";
    for (const auto& title : buttons)
        alert->addButton(title);
    Tiberly::showModalSheet(host, alert, [answer](AppKit::ModalResponse r) { answer(response(r)); });
}

struct Key {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
};
constexpr Key kReturn{Qt::Key_Return, Qt::NoModifier};
constexpr Key kEnter{Qt::Key_Enter, Qt::KeypadModifier};
constexpr Key kEscape{Qt::Key_Escape, Qt::NoModifier};

class SheetKeyboardTest : public ShellTest {};

TEST_F(SheetKeyboardTest, ReturnPressesTheDefaultButtonAndEscapeTheCancelButton)
{
    const std::vector<std::string> volumes{"/tmp/set.7z.001", "/tmp/set.7z.002"};
    const Present passphrase = [](AppKit::ViewController& host, auto answer) {
        Tiberly::showTextInput(host, "Passphrase", "", localizedString("COMMON_OK"),
                               localizedString("COMMON_CANCEL"), true,
                               [answer](Answer text) { answer(text.value_or("<none>")); });
    };
    const Present reorder = [volumes](AppKit::ViewController& host, auto answer) {
        host.presentAsSheet(std::make_shared<MultiVolumeArchiveReorderViewController>(
            volumes, [answer](std::optional<std::vector<std::string>> paths) {
                answer(paths ? (*paths)[0] + "," + (*paths)[1] : "<none>");
            }));
    };
    const Present notice = [](AppKit::ViewController& host, auto answer) {
        presentAlert(host, {localizedString("COMMON_OK"), localizedString("COMMON_DO_NOT_SHOW_THIS_AGAIN")}, answer);
    };
    const Present conflict = [](AppKit::ViewController& host, auto answer) {
        std::vector<std::string> titles;
        for (const char* key : {"UNARCHIVING_ALERT_FILE_CONFLICT_METHOD_SKIP", "UNARCHIVING_ALERT_FILE_CONFLICT_METHOD_SKIP_ALL",
                                "UNARCHIVING_ALERT_FILE_CONFLICT_METHOD_REPLACE",
                                "UNARCHIVING_ALERT_FILE_CONFLICT_METHOD_REPLACE_ALL", "COMMON_CANCEL"})
            titles.push_back(localizedString(key));
        presentAlert(host, titles, answer);
    };
    auto encodingSheet = std::make_shared<std::shared_ptr<Tiberly::EncodingSelectionController>>();
    const Present encoding = [encodingSheet](AppKit::ViewController& host, auto answer) {
        auto controller = std::make_shared<Tiberly::EncodingSelectionController>();
        controller->setSampleBytes("\x83\x65\x83\x58\x83\x67");
        *encodingSheet = controller;
        Tiberly::showModalSheet(host, controller->window(), [controller, answer](AppKit::ModalResponse r) {
            answer(response(r) + (controller->selectedEncoding() ? "+encoding" : ""));
        });
    };

    struct Case {
        const char* sheet;
        Present present;
        const char* typed;
        Key key;
        std::string expected;
    };
    const Case cases[] = {
        {"passphrase", passphrase, "pw", kReturn, "pw"},
        {"passphrase", passphrase, "pw", kEnter, "pw"},
        {"passphrase", passphrase, "pw", kEscape, "<none>"},
        {"reorder", reorder, "", kReturn, volumes[0] + "," + volumes[1]},
        {"reorder", reorder, "", kEscape, "<none>"},
        {"notice", notice, "", kReturn, "1000"},
        {"notice", notice, "", kEscape, "1000"},
        {"conflict", conflict, "", kEnter, "1000"},
        {"conflict", conflict, "", kEscape, "1004"},
        {"encoding", encoding, "", kReturn, "1+encoding"},
        {"encoding", encoding, "", kEscape, "0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sheet);
        auto host = std::make_shared<AppKit::ViewController>();
        auto window = AppKit::Window::withContentViewController(host);
        window->makeKeyAndOrderFront();
        std::vector<std::string> answers;
        c.present(*host, [&](std::string a) { answers.push_back(std::move(a)); });
        ASSERT_TRUE(TestSupport::waitUntil([&] {
            auto sheet = window->attachedSheet();
            return sheet && QApplication::focusWidget() && QApplication::focusWidget()->window() == sheet->widget();
        }));
        QWidget* focus = QApplication::focusWidget();
        if (*c.typed) {
            ASSERT_TRUE(qobject_cast<QLineEdit*>(focus));
            QTest::keyClicks(focus, c.typed);
        }
        QTest::keyClick(focus, c.key.key, c.key.modifiers);
        TestSupport::drainEvents();
        EXPECT_EQ(answers, std::vector<std::string>{c.expected});
        EXPECT_FALSE(window->attachedSheet());
        window->close();
    }
}

TEST_F(SheetKeyboardTest, QuitQuestionAnswersReturnWithQuitAndEscapeWithCancel)
{
    struct Case {
        Key key;
        AppKit::TerminateReply reply;
    };
    for (const Case& c : {Case{kReturn, AppKit::TerminateReply::terminateNow},
                          Case{kEscape, AppKit::TerminateReply::terminateCancel}}) {
        auto task = std::make_shared<FakeTask>();
        TaskManager::shared()->add(task, true);
        bool focused = false;
        QTimer::singleShot(0, [&] {
            focused = TestSupport::waitUntil([] { return shownAlert() && QApplication::focusWidget(); },
                                             std::chrono::seconds(5));
            QWidget* target = focused ? QApplication::focusWidget() : shownAlert();
            if (!target) {
                ADD_FAILURE() << "no quit question";
                return;
            }
            QPointer<QWidget> alert = shownAlert();
            QTest::keyClick(target, c.key.key, c.key.modifiers);
            // A key that does not answer must not leave the nested loop running.
            QTimer::singleShot(500, [alert] {
                if (alert && alert->isVisible())
                    pressButton(alert, localizedString("COMMON_CANCEL"));
            });
        });
        EXPECT_EQ(delegate->applicationShouldTerminate(), c.reply);
        EXPECT_TRUE(focused);
        TaskManager::shared()->remove(task);
    }
}

} // namespace
