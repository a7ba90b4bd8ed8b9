#include "Platform/AppKit/ArrayController.h"
#include "Platform/AppKit/TableView.h"
#include "Platform/AppKit/TableWidget.h"
#include "Platform/Dispatch/Dispatch.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

using namespace AppKit;

namespace {

struct Entry : KeyValueObject {
    Entry(QString n, qint64 s) : name(std::move(n)), size(s) {}
    QVariant valueForKey(const std::string& key) const override
    {
        if (key == "name")
            return name;
        if (key == "size")
            return size;
        return {};
    }
    QString name;
    qint64 size;
};

std::vector<QString> names(const std::vector<KeyValueObjectPtr>& objects)
{
    std::vector<QString> out;
    for (const auto& o : objects)
        out.push_back(static_cast<Entry&>(*o).name);
    return out;
}

struct TableFixture : ::testing::Test {
    void SetUp() override
    {
        controller = std::make_shared<ArrayController>(std::vector<KeyValueObjectPtr>{
            std::make_shared<Entry>("file10", 3), std::make_shared<Entry>("file2", 1),
            std::make_shared<Entry>("File1", 2)});
        auto name = std::make_shared<TableColumn>("Name");
        name->valueKeyPath = "objectValue.name";
        name->sortDescriptorPrototype = SortDescriptor("name", true, SortComparison::localizedStandardCompare);
        auto size = std::make_shared<TableColumn>("Size");
        size->valueKeyPath = "objectValue.size";
        size->formatter = [](const QVariant& v) { return std::to_string(v.toLongLong()) + " B"; };
        size->sortDescriptorPrototype = SortDescriptor("size", true);
        table->addTableColumn(name);
        table->addTableColumn(size);
        table->bindContent(controller);
        table->widget()->resize(400, 300);
        table->widget()->show();
    }
    QString text(int row, int column)
    {
        auto* model = static_cast<QTableView*>(table->widget())->model();
        return model->data(model->index(row, column)).toString();
    }
    TableViewPtr table = TableView::make();
    ArrayControllerPtr controller;
};

TEST_F(TableFixture, BoundCellsFollowArrangedObjectsAndFormatters)
{
    EXPECT_EQ(table->numberOfRowsShown(), 3);
    EXPECT_EQ(text(0, 0), "file10");
    EXPECT_EQ(text(0, 1), "3 B");
    controller->setSortDescriptors({SortDescriptor("name", true, SortComparison::localizedStandardCompare)});
    EXPECT_EQ(names(controller->arrangedObjects()), (std::vector<QString>{"File1", "file2", "file10"}));
    EXPECT_EQ(text(2, 0), "file10");
    controller->remove(0);
    EXPECT_EQ(table->numberOfRowsShown(), 2);
}

TEST_F(TableFixture, HeaderClicksSetPrototypeFirstThenReverse)
{
    std::vector<std::vector<SortDescriptor>> olds;
    table->sortDescriptorsDidChange = [&](const std::vector<SortDescriptor>& old) { olds.push_back(old); };
    table->setSortDescriptors({*table->tableColumnWithIdentifier("Name")->sortDescriptorPrototype});
    auto* header = static_cast<QTableView*>(table->widget())->horizontalHeader();
    emit header->sectionClicked(1);
    ASSERT_EQ(table->sortDescriptors().size(), 2u);
    EXPECT_EQ(table->sortDescriptors()[0].key(), "size");
    EXPECT_EQ(table->sortDescriptors()[1].key(), "name");
    emit header->sectionClicked(1);
    EXPECT_FALSE(table->sortDescriptors()[0].ascending());
    EXPECT_EQ(olds.size(), 3u);
    EXPECT_TRUE(olds[2][0].ascending());
}

TEST_F(TableFixture, DoubleClickReportsRowUnderPointer)
{
    std::vector<int> clicked;
    table->doubleAction = [&] { clicked.push_back(table->clickedRow()); };
    QWidget* viewport = table->rowsViewport();
    const auto doubleClick = [&](QPoint at) {
        QMouseEvent press(QEvent::MouseButtonPress, at, viewport->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
        QApplication::sendEvent(viewport, &press);
        QMouseEvent dbl(QEvent::MouseButtonDblClick, at, viewport->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
        QApplication::sendEvent(viewport, &dbl);
    };
    doubleClick(table->rectOfRow(1).center());
    doubleClick(QPoint(10, 290));
    EXPECT_EQ(clicked, (std::vector<int>{1, -1}));
}

TEST_F(TableFixture, DropsBetweenRowsAreValidatedAndAccepted)
{
    table->registerForDraggedTypes({"com.tarnu.Kelvora.PathObject"});
    std::vector<std::pair<int, TableViewDropOperation>> asked;
    table->validateDrop = [&](const DraggingInfo&, int row, TableViewDropOperation op) {
        asked.emplace_back(row, op);
        return op == TableViewDropOperation::above ? DragOperation::move : DragOperation::none;
    };
    int acceptedRow = -2;
    table->acceptDrop = [&](const DraggingInfo&, int row, TableViewDropOperation) {
        acceptedRow = row;
        return true;
    };
    const QRect second = table->rectOfRow(1);
    EXPECT_EQ(table->dropTarget(QPoint(5, second.top() + 1)), std::make_pair(1, TableViewDropOperation::above));
    EXPECT_EQ(table->dropTarget(QPoint(5, second.center().y())), std::make_pair(1, TableViewDropOperation::on));
    EXPECT_EQ(table->dropTarget(QPoint(5, second.bottom())), std::make_pair(2, TableViewDropOperation::above));
    EXPECT_EQ(table->dropTarget(QPoint(5, 290)), std::make_pair(3, TableViewDropOperation::above));

    QMimeData data;
    data.setData("com.tarnu.Kelvora.PathObject", "x");
    const auto drop = [&](QPoint at) {
        QDragEnterEvent enter(at, Qt::MoveAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(table->rowsViewport(), &enter);
        QDropEvent event(at, Qt::MoveAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(table->rowsViewport(), &event);
        return event.isAccepted();
    };
    EXPECT_FALSE(drop(second.center()));
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_EQ(acceptedRow, -2);
    EXPECT_TRUE(drop(QPoint(5, second.top() + 1)));
    EXPECT_EQ(acceptedRow, 1);

    QMimeData other;
    other.setData("text/plain", "x");
    QDropEvent foreign(QPointF(5, second.top() + 1), Qt::MoveAction, &other, Qt::LeftButton, {});
    QApplication::sendEvent(table->rowsViewport(), &foreign);
    EXPECT_FALSE(foreign.isAccepted());
}

// A drop target copies the URLs it is handed at once: they come only when
// the promise reports its files written, however late, and never for files
// that could not be written.
TEST_F(TableFixture, PromisedFilesAreWrittenBeforeTheTargetGetsTheirURLs)
{
    table->writeRows = [](const IndexSet&, Pasteboard& pasteboard) {
        pasteboard.declareTypes({PasteboardTypeFilesPromise});
        return pasteboard.setPropertyList({""}, PasteboardTypeFilesPromise);
    };
    struct Case {
        const char* name;
        bool writes;
    };
    for (const Case& c : {Case{"written", true}, Case{"failed", false}}) {
        SCOPED_TRACE(c.name);
        int asks = 0;
        IndexSet askedRows;
        std::string askedFolder;
        table->namesOfPromisedFilesDroppedAtDestination = [&](const std::string& folder, const IndexSet& rows,
                                                              PromisedFilesWritten written) {
            ++asks;
            askedRows = rows;
            askedFolder = folder;
            // Written later, on a work thread, as an extraction does.
            Dispatch::globalQueue()->async([folder, written, writes = c.writes] {
                if (writes) {
                    QFile f(QString::fromStdString(folder) + "/a.txt");
                    f.open(QIODevice::WriteOnly);
                }
                written(writes);
            });
            return std::vector<std::string>{"a.txt"};
        };
        std::unique_ptr<QMimeData> data(table->mimeDataForRows({0, 2}));
        ASSERT_TRUE(data);
        EXPECT_TRUE(data->hasUrls());
        EXPECT_EQ(asks, 0);
        const auto urls = data->urls();
        const auto again = data->data("text/uri-list");
        EXPECT_EQ(asks, 1);
        EXPECT_EQ(askedRows, (IndexSet{0, 2}));
        EXPECT_TRUE(QString::fromStdString(askedFolder)
                        .startsWith(qEnvironmentVariable("XDG_CACHE_HOME")
                                    + "/7QXK3LM2PA.com.tarnu.Kelvora/TemporaryItems/"))
            << askedFolder;
        if (c.writes) {
            ASSERT_EQ(urls.size(), 1);
            EXPECT_TRUE(QFile::exists(urls[0].toLocalFile()));
            EXPECT_EQ(urls[0].toLocalFile().toStdString(), askedFolder + "/a.txt");
            EXPECT_EQ(again, urls[0].toEncoded() + "\r\n");
        } else {
            EXPECT_TRUE(urls.empty());
            EXPECT_TRUE(again.isEmpty());
        }
        EXPECT_EQ(Pasteboard(data.get()).propertyList(PasteboardTypeFilesPromise), std::vector<std::string>{""});
    }
}

// A promise that drops its report without calling it (it started nothing)
// does not leave the target waiting.
TEST_F(TableFixture, APromiseThatWritesNothingAnswersNoURL)
{
    table->writeRows = [](const IndexSet&, Pasteboard& pasteboard) {
        pasteboard.declareTypes({PasteboardTypeFilesPromise});
        return pasteboard.setPropertyList({""}, PasteboardTypeFilesPromise);
    };
    table->namesOfPromisedFilesDroppedAtDestination = [](const std::string&, const IndexSet&, PromisedFilesWritten) {
        return std::vector<std::string>{"never.txt"};
    };
    std::unique_ptr<QMimeData> data(table->mimeDataForRows({1}));
    ASSERT_TRUE(data);
    EXPECT_TRUE(data->urls().empty());
}

} // namespace

// Row views are reused across reloads (the task list keeps one cell per
// task); Qt deletes index widgets after a reset, which must not take the
// reused views down with it.
TEST(TableRowViews, SurviveReloadsAndTheTable)
{
    std::vector<ViewPtr> cells = {View::make(), View::make()};
    QPointer<QWidget> first = cells[0]->widget();
    int rows = 2;
    {
        TableViewPtr table = TableView::make();
        table->addTableColumn(std::make_shared<TableColumn>("Cell"));
        table->numberOfRows = [&] { return rows; };
        table->rowView = [&](int row) { return cells.at(row); };
        table->widget()->resize(300, 200);
        table->widget()->show();
        for (int i = 0; i < 3; ++i) {
            table->reloadData();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QCoreApplication::processEvents();
        }
        ASSERT_FALSE(first.isNull());
        EXPECT_TRUE(first->isVisible());
        rows = 1;
        table->reloadData();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
        EXPECT_FALSE(cells[1]->widget() == nullptr);
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(first.isNull()) << "the table's end leaves its row views to their owners";
}
