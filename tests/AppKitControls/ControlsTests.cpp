#include "Platform/AppKit/Controls.h"
#include "Platform/AppKit/Panels.h"
#include "tests/support/UiDriver.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QHBoxLayout>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <fstream>

using namespace AppKit;

TEST(Controls, ActionsRunForTheUserNotForCode)
{
    int clicks = 0;
    auto checkbox = Button::checkboxWithTitle("Check", [&] { ++clicks; });
    checkbox->setState(ControlStateValueOn);
    EXPECT_EQ(clicks, 0);
    checkbox->performClick();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(checkbox->state(), ControlStateValueOff);
    checkbox->setEnabled(false);
    checkbox->performClick();
    EXPECT_EQ(clicks, 1);

    int chosen = 0;
    auto popUp = PopUpButton::make([&] { ++chosen; });
    popUp->addItemsWithTitles({"a", "b", "c"});
    popUp->selectItemAtIndex(2);
    EXPECT_EQ(chosen, 0);
    popUp->setItemEnabled(1, false);
    popUp->performSelectItemAtIndex(1);
    EXPECT_EQ(popUp->indexOfSelectedItem(), 2);
    popUp->performSelectItemAtIndex(0);
    EXPECT_EQ(chosen, 1);
    EXPECT_EQ(popUp->titleOfSelectedItem(), "a");

    int segments = 0;
    auto segmented = SegmentedControl::segmentedControlWithLabels({"one", "two"}, [&] { ++segments; });
    segmented->setSelectedSegment(0);
    segmented->performClickOnSegment(1);
    EXPECT_EQ(segmented->selectedSegment(), 1);
    EXPECT_EQ(segments, 1);
}

TEST(Controls, ActionOutlivedByItsWidgetIsNotCalled)
{
    auto parent = View::make();
    QPointer<QWidget> widget;
    bool called = false;
    {
        auto button = Button::buttonWithTitle("Go", [&] { called = true; });
        button->widget()->setParent(parent->widget());
        widget = button->widget();
    }
    ASSERT_TRUE(widget);
    static_cast<QAbstractButton*>(widget.data())->click();
    EXPECT_FALSE(called);
}

TEST(Controls, OneLineLabelTakesItsWholeTextWhenThereIsRoomAndGivesWayWhenThereIsNot)
{
    const std::string text = "Compression level of the new archive:";
    for (int width : {600, 120}) {
        SCOPED_TRACE(width);
        QWidget row;
        auto* layout = new QHBoxLayout(&row);
        auto label = TextField::labelWithString(text);
        auto field = TextField::textFieldWithString("");
        layout->addWidget(label->widget());
        layout->addWidget(field->widget());
        row.resize(width, 40);
        row.show();
        QApplication::processEvents();
        const int needed = label->widget()->fontMetrics().horizontalAdvance(QString::fromStdString(text));
        if (width > needed * 2) {
            EXPECT_GE(label->widget()->width(), needed);
        } else {
            EXPECT_LT(label->widget()->width(), needed);
            EXPECT_LE(row.width(), width);
        }
        EXPECT_EQ(label->stringValue(), text);
    }
}

TEST(Controls, ProgressIndicatorClampsToItsRange)
{
    auto bar = ProgressIndicator::make();
    EXPECT_TRUE(bar->isIndeterminate());
    bar->setIndeterminate(false);
    bar->setMinValue(0);
    bar->setMaxValue(1);
    bar->setDoubleValue(1.5);
    EXPECT_DOUBLE_EQ(bar->doubleValue(), 1.0);
    bar->setDoubleValue(-2);
    EXPECT_DOUBLE_EQ(bar->doubleValue(), 0.0);
}

namespace {
std::string touch(const QString& path)
{
    std::ofstream(path.toStdString()) << "x";
    return path.toStdString();
}
} // namespace

TEST(Panels, OpenPanelGivesTheChosenFilesOnce)
{
    const QString folder = QDir::tempPath();
    const auto a = touch(folder + "/a.txt");
    const auto b = touch(folder + "/b.txt");
    auto window = Window::make();
    window->makeKeyAndOrderFront();
    auto panel = OpenPanel::openPanel();
    panel->setAllowsMultipleSelection(true);
    int calls = 0;
    ModalResponse response = -1;
    panel->beginSheetModal(window, [&](ModalResponse r) {
        ++calls;
        response = r;
    });
    ASSERT_TRUE(TestSupport::acceptOpenPanel(window, {a, b}));
    ASSERT_TRUE(TestSupport::waitFor([&] { return calls > 0; }));
    EXPECT_EQ(response, ModalResponseOK);
    std::vector<std::string> urls = panel->urls();
    std::sort(urls.begin(), urls.end());
    EXPECT_EQ(urls, (std::vector<std::string>{a, b}));

    panel->beginSheetModal(window, [&](ModalResponse r) {
        ++calls;
        response = r;
    });
    ASSERT_TRUE(TestSupport::cancelPanel(window));
    ASSERT_TRUE(TestSupport::waitFor([&] { return calls == 2; }));
    EXPECT_EQ(response, ModalResponseCancel);
    EXPECT_TRUE(panel->urls().empty());
}

TEST(Panels, SavePanelAsksBeforeReplacing)
{
    const auto existing = touch(QDir::tempPath() + "/taken.zip");
    auto window = Window::make();
    window->makeKeyAndOrderFront();
    auto panel = SavePanel::savePanel();
    int calls = 0;
    panel->beginSheetModal(window, [&](ModalResponse r) {
        ++calls;
        EXPECT_EQ(r, ModalResponseOK);
    });
    ASSERT_TRUE(TestSupport::acceptSavePanel(window, existing));
    ASSERT_TRUE(TestSupport::answerReplaceQuestion(window, false));
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(panel->isVisible());
    ASSERT_TRUE(TestSupport::acceptSavePanel(window, existing));
    ASSERT_TRUE(TestSupport::answerReplaceQuestion(window, true));
    ASSERT_TRUE(TestSupport::waitFor([&] { return calls == 1; }));
    EXPECT_EQ(panel->url(), existing);
}
