#include "Platform/AppKit/Alert.h"
#include "Platform/AppKit/Application.h"
#include "Platform/AppKit/Menu.h"
#include "Platform/AppKit/ViewController.h"
#include "Platform/AppKit/Window.h"
#include "Platform/AppKit/WindowController.h"
#include "Platform/Foundation/UserDefaults.h"
#include "tests/support/EventLoop.h"
#include "tests/support/UiDriver.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QTimer>

using namespace AppKit;

namespace {

struct Recorder : WindowDelegate {
    int willClose = 0;
    void windowWillClose(Window&) override { ++willClose; }
};

} // namespace

TEST(Window, NonClosableWindowRefusesToCloseAndHasNoUsableCloseButton)
{
    auto window = Window::make({200, 100}, StyleMask::titled | StyleMask::resizable);
    auto recorder = std::make_shared<Recorder>();
    window->setDelegate(recorder);
    window->makeKeyAndOrderFront();
    EXPECT_FALSE(window->isStandardButtonEnabled(WindowButton::close));
    EXPECT_FALSE(window->widget()->windowFlags() & Qt::WindowCloseButtonHint);
    window->performClose();
    EXPECT_FALSE(window->widget()->close());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(recorder->willClose, 0);

    window->setStyleMask(window->styleMask() | StyleMask::closable);
    window->setStandardButtonEnabled(WindowButton::close, false);
    window->performClose();
    EXPECT_TRUE(window->isVisible());
    window->setStandardButtonEnabled(WindowButton::close, true);
    window->performClose();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(recorder->willClose, 1);
}

TEST(Window, TabbedWindowJoinsTheFrontWindowsGroupAndStaysItsOwnWindow)
{
    auto first = Window::make();
    first->setTitle("One");
    first->makeKeyAndOrderFront();
    auto second = Window::make();
    second->setTitle("Two");
    first->addTabbedWindow(second, WindowOrderingMode::above);
    EXPECT_EQ(first->tabbedWindows().size(), 2u);
    EXPECT_EQ(second->tabTitles(), (std::vector<std::string>{"One", "Two"}));
    EXPECT_TRUE(second->isSelectedTab());
    EXPECT_EQ(Window::orderedWindows().front(), second);

    auto recorder = std::make_shared<Recorder>();
    second->setDelegate(recorder);
    second->performClose();
    EXPECT_EQ(recorder->willClose, 1);
    EXPECT_TRUE(first->isSelectedTab());
    EXPECT_TRUE(first->widget()->isVisible());
    EXPECT_TRUE(first->tabbedWindows().empty());
}

TEST(Window, FrameSavedUnderAnAutosaveNameComesBackInTheNextWindowOfThatName)
{
    const QRect saved(140, 90, 420, 260);
    {
        auto first = Window::make({300, 200});
        ASSERT_TRUE(first->setFrameAutosaveName("BrowserWindow"));
        first->makeKeyAndOrderFront();
        first->setFrame(saved);
        ASSERT_TRUE(TestSupport::waitUntil([&] { return first->frame() == saved; }));
        EXPECT_FALSE(Window::make()->setFrameAutosaveName("BrowserWindow")) << "the name is taken while it lives";
        first->close();
    }
    // Kept in the program's standard defaults, where every later process reads it.
    EXPECT_EQ(Foundation::UserDefaults::standard()->stringForKey("NSWindow Frame BrowserWindow"),
              std::optional<std::string>("140 90 420 260"));

    auto second = Window::make({300, 200});
    ASSERT_TRUE(second->setFrameAutosaveName("BrowserWindow"));
    EXPECT_EQ(second->frame(), saved);
    second->makeKeyAndOrderFront();
    TestSupport::drainEvents();
    EXPECT_EQ(second->frame(), saved) << "showing keeps the restored frame";

    auto plain = Window::make({300, 200});
    auto other = Window::make({300, 200});
    ASSERT_TRUE(other->setFrameAutosaveName("TaskWindow"));
    EXPECT_EQ(other->frame(), plain->frame()) << "a name with nothing saved leaves the window as made";
    EXPECT_FALSE(Foundation::UserDefaults::standard()->stringForKey("NSWindow Frame TaskWindow")->empty());
}

TEST(Alert, ResponsesCountFromTheFirstButtonAndTheCompletionRunsOnce)
{
    auto host = Window::make();
    host->makeKeyAndOrderFront();
    for (int index : {0, 1, 2}) {
        auto alert = Alert::make();
        alert->messageText = "Replace?";
        alert->addButton("Replace");
        alert->addButton("Skip");
        alert->addButton("Cancel");
        std::vector<ModalResponse> responses;
        alert->beginSheetModal(host, [&](ModalResponse r) { responses.push_back(r); });
        ASSERT_TRUE(TestSupport::pressSheetButton(host, index));
        alert->pressButton(0);
        host->endSheet(alert->window(), ModalResponseAbort);
        TestSupport::drainEvents();
        EXPECT_EQ(responses, (std::vector<ModalResponse>{1000 + index}));
        EXPECT_FALSE(host->attachedSheet());
    }

    auto plain = Alert::make();
    int response = 0;
    plain->beginSheetModal(host, [&](ModalResponse r) { response = static_cast<int>(r); });
    EXPECT_EQ(plain->buttonTitles(), std::vector<std::string>{"OK"});
    ASSERT_TRUE(TestSupport::pressSheetButton(host, 0));
    EXPECT_EQ(response, 1000);
}

TEST(Alert, ClosingTheHostEndsItsSheetOnce)
{
    auto host = Window::make();
    host->makeKeyAndOrderFront();
    auto alert = Alert::make();
    int calls = 0;
    alert->beginSheetModal(host, [&](ModalResponse) { ++calls; });
    host->close();
    alert->pressButton(0);
    EXPECT_EQ(calls, 1);
}

TEST(Menu, OnlyMainWindowsCarryTheMenuBar)
{
    auto mainMenu = std::make_shared<Menu>();
    mainMenu->addSubmenu("File")->addItem(std::make_shared<MenuItem>("Close", "performClose:"));
    Application::shared().setMainMenu(mainMenu);
    auto carries = [](const WindowPtr& window) {
        auto* bar = window->widget()->menuWidget();
        return bar && !bar->actions().isEmpty();
    };
    auto host = Window::make();
    host->makeKeyAndOrderFront();
    auto later = Window::make();
    EXPECT_TRUE(carries(host));
    EXPECT_TRUE(carries(later));

    auto alert = Alert::make();
    alert->beginSheetModal(host, [](ModalResponse) {});
    EXPECT_FALSE(carries(alert->window()));
    alert->pressButton(0);
    auto sheet = Window::make();
    host->beginSheet(sheet, [](ModalResponse) {});
    EXPECT_FALSE(carries(sheet));
    host->endSheet(sheet);
    auto lone = Alert::make();
    lone->beginSheetModal(nullptr, [](ModalResponse) {});
    EXPECT_FALSE(carries(lone->window()));
    lone->pressButton(0);
    Application::shared().setMainMenu(nullptr);
}

TEST(Application, ActionsGoFromTheFocusedViewUpToTheDelegate)
{
    struct Delegate : ApplicationDelegate {};
    auto delegate = std::make_shared<Delegate>();
    Application::shared().setDelegate(delegate);
    auto controller = std::make_shared<ViewController>();
    auto field = std::make_shared<View>(new QLineEdit);
    controller->view()->addSubview(field);
    auto windowController = std::make_shared<WindowController>(Window::withContentViewController(controller));
    auto window = windowController->window();
    window->makeKeyAndOrderFront();
    ASSERT_TRUE(TestSupport::waitFor([&] { return window->isKeyWindow(); }));
    window->makeFirstResponder(field);
    ASSERT_TRUE(TestSupport::waitFor([&] { return window->firstResponderView() == field; }));

    std::vector<std::string> hits;
    delegate->setActionHandler("go:", [&](Responder*) { hits.push_back("delegate"); });
    windowController->setActionHandler("go:", [&](Responder*) { hits.push_back("windowController"); });
    window->setActionHandler("go:", [&](Responder*) { hits.push_back("window"); });
    controller->setActionHandler("go:", [&](Responder*) { hits.push_back("controller"); });
    field->setActionHandler("go:", [&](Responder*) { hits.push_back("field"); });

    auto& app = Application::shared();
    EXPECT_EQ(app.targetForAction("go:"), field.get());
    field->removeActionHandler("go:");
    EXPECT_EQ(app.targetForAction("go:"), controller.get());
    controller->setActionHandler("go:", [](Responder*) {}, [] { return false; });
    EXPECT_FALSE(app.sendAction("go:", nullptr, nullptr));
    controller->removeActionHandler("go:");
    EXPECT_EQ(app.targetForAction("go:"), window.get());
    window->removeActionHandler("go:");
    EXPECT_EQ(app.targetForAction("go:"), windowController.get());
    windowController->removeActionHandler("go:");
    EXPECT_TRUE(app.sendAction("go:", nullptr, nullptr));
    EXPECT_EQ(hits, std::vector<std::string>{"delegate"});
    EXPECT_EQ(app.targetForAction("unknown:"), nullptr);
    Application::shared().setDelegate(nullptr);
}

#include "Platform/AppKit/SingleInstance.h"

#include <QApplication>
#include <QProcess>

TEST(SingleInstance, ASecondLaunchHandsItsPathsToTheRunningInstance)
{
    if (qEnvironmentVariableIsSet("KELVORA_SECOND_LAUNCH")) {
        SingleInstance second("kelvora-test");
        EXPECT_FALSE(second.claim({"/tmp/a.zip", "/tmp/b b.7z"}));
        return;
    }
    struct Delegate : ApplicationDelegate {
        std::vector<std::string> opened;
        void applicationOpenFiles(const std::vector<std::string>& paths) override { opened = paths; }
    };
    auto delegate = std::make_shared<Delegate>();
    Application::shared().setDelegate(delegate);
    SingleInstance first("kelvora-test");
    ASSERT_TRUE(first.claim({}));
    // Not running yet: launching delivers what arrived.
    QMetaObject::invokeMethod(qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    Application::shared().run();
    QProcess child;
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("KELVORA_SECOND_LAUNCH", "1");
    child.setProcessEnvironment(env);
    child.start(QString::fromStdString(TestSupport::selfExecutable()),
                {"--gtest_filter=SingleInstance.ASecondLaunchHandsItsPathsToTheRunningInstance"});
    ASSERT_TRUE(TestSupport::waitFor([&] { return delegate->opened.size() == 2; }));
    EXPECT_EQ(delegate->opened, (std::vector<std::string>{"/tmp/a.zip", "/tmp/b b.7z"}));
    ASSERT_TRUE(TestSupport::waitFor([&] { return child.state() == QProcess::NotRunning; }));
    EXPECT_EQ(child.exitCode(), 0);
    Application::shared().setDelegate(nullptr);
}
