#include "Platform/AppKit/ViewController.h"
#include "Platform/AppKit/Window.h"
#include "tests/support/EventLoop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace AppKit;

namespace {

using Log = std::vector<std::string>;

struct Recording : ViewController {
    Recording(Log& log, std::string name) : log(log), name(std::move(name)) {}
    void viewWillAppear() override { log.push_back(name + " willAppear"); }
    void viewDidAppear() override { log.push_back(name + " didAppear"); }
    void viewWillDisappear() override { log.push_back(name + " willDisappear"); }
    void viewDidDisappear() override { log.push_back(name + " didDisappear"); }
    Log& log;
    std::string name;
};

const Log appear{"content willAppear", "child willAppear", "content didAppear", "child didAppear"};
const Log disappear{"content willDisappear", "child willDisappear", "content didDisappear", "child didDisappear"};

} // namespace

TEST(ViewControllerAppearance, EachShowAndHideOfTheWindowCallsBackOnceInOrder)
{
    Log log;
    auto content = std::make_shared<Recording>(log, "content");
    auto child = std::make_shared<Recording>(log, "child");
    content->addChildViewController(child);
    content->view()->addSubview(child->view());
    auto window = Window::withContentViewController(content);
    EXPECT_TRUE(log.empty()) << "nothing appears before the window shows";

    struct Step {
        const char* name;
        std::function<void()> act;
        Log expected;
    };
    const Step steps[] = {
        {"show", [&] { window->makeKeyAndOrderFront(); }, appear},
        {"show again", [&] { window->makeKeyAndOrderFront(); }, {}},
        {"order front", [&] { window->orderFront(); }, {}},
        {"order out", [&] { window->orderOut(); }, disappear},
        {"order out again", [&] { window->orderOut(); }, {}},
        {"order back", [&] { window->orderBack(); }, appear},
        {"close", [&] { window->close(); }, disappear},
        {"close again", [&] { window->close(); }, {}},
        {"show after close", [&] { window->makeKeyAndOrderFront(); }, appear},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        log.clear();
        step.act();
        TestSupport::drainEvents();
        EXPECT_EQ(log, step.expected);
    }
    EXPECT_TRUE(content->isAppeared());
    window->close();
    EXPECT_FALSE(content->isAppeared());
    EXPECT_FALSE(child->isAppeared());
}

TEST(ViewControllerAppearance, ReplacedContentAndSheetsCallBackOnce)
{
    Log log;
    auto content = std::make_shared<Recording>(log, "content");
    auto window = Window::withContentViewController(content);
    window->makeKeyAndOrderFront();
    auto next = std::make_shared<Recording>(log, "next");
    log.clear();
    window->setContentViewController(next);
    EXPECT_EQ(log, (Log{"content willDisappear", "content didDisappear", "next willAppear", "next didAppear"}));

    auto sheet = std::make_shared<Recording>(log, "sheet");
    log.clear();
    next->presentAsSheet(sheet);
    TestSupport::drainEvents();
    EXPECT_EQ(log, (Log{"sheet willAppear", "sheet didAppear"}));
    log.clear();
    sheet->dismiss();
    sheet->dismiss();
    TestSupport::drainEvents();
    EXPECT_EQ(log, (Log{"sheet willDisappear", "sheet didDisappear"}));
    log.clear();
    window->close();
    EXPECT_EQ(log, (Log{"next willDisappear", "next didDisappear"}));
}
