// The layer's widgets together in one browser-like window: a toolbar with
// a search field, a path bar, a split view with a 100,000-row table and the
// preview, and an alert sheet on top (leave it out with --no-sheet).
#include "tests/gallery/GalleryRows.h"

#include "Platform/AppKit/Alert.h"
#include "Platform/AppKit/Application.h"
#include "Platform/AppKit/PathControl.h"
#include "Platform/AppKit/Popover.h"
#include "Platform/AppKit/ScrollView.h"
#include "Platform/AppKit/SearchField.h"
#include "Platform/AppKit/SplitView.h"
#include "Platform/AppKit/TableSortDescriptor.h"
#include "Platform/AppKit/TableView.h"
#include "Platform/AppKit/Toolbar.h"
#include "Platform/AppKit/ViewController.h"
#include "Platform/AppKit/Window.h"
#include "Platform/AppKit/Workspace.h"
#include "Platform/QuickLook/PreviewView.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

using namespace AppKit;

namespace {

struct GalleryWindow : ToolbarDelegate, SplitViewDelegate, std::enable_shared_from_this<GalleryWindow> {
    WindowPtr window;
    std::shared_ptr<ViewController> browser = std::make_shared<ViewController>();
    std::shared_ptr<ViewController> tasks = std::make_shared<ViewController>();
        TableViewPtr table = TableView::make();
    PathControlPtr path = PathControl::make();
    ScrollViewPtr pathContainer = ScrollView::make();
    SplitViewPtr split = SplitView::make();
    QuickLook::QLPreviewViewPtr preview = QuickLook::QLPreviewView::make({}, QuickLook::PreviewViewStyle::compact);
    SearchFieldPtr search = SearchField::make();
    std::vector<std::shared_ptr<::Gallery::Row>> rows;
    QString picture;


    ToolbarItemPtr toolbarItemForIdentifier(Toolbar&, const std::string& identifier, bool) override
    {
        auto item = std::make_shared<ToolbarItem>(identifier);
        if (identifier == "com.tarnu.Kelvora.archive") {
            item->setLabel("Archive");
            item->setImageName("arrow.down.doc");
        } else if (identifier == "com.tarnu.Kelvora.unarchive") {
            item->setLabel("Unarchive");
            item->setImageName("arrow.up.doc");
        } else if (identifier == "com.tarnu.Kelvora.tasks") {
            item->setLabel("Tasks");
            item->setImageName("list.dash");
        } else if (identifier == "com.tarnu.Kelvora.search") {
            search->setPlaceholderString("Search");
            item->setView(search);
        } else if (identifier != ToolbarFlexibleSpaceItemIdentifier) {
            return nullptr;
        }
        return item;
    }
    std::vector<std::string> toolbarDefaultItemIdentifiers(Toolbar&) override
    {
        return {ToolbarFlexibleSpaceItemIdentifier, "com.tarnu.Kelvora.archive", "com.tarnu.Kelvora.unarchive",
                "com.tarnu.Kelvora.tasks", "com.tarnu.Kelvora.search"};
    }
    bool splitViewCanCollapseSubview(SplitView&, const View& subview) override { return &subview == preview.get(); }

    void build()
    {
        rows = ::Gallery::makeRows(100'000);
        for (const auto& [id, title, width] : {std::tuple{"name", "Name", 340}, {"size", "Size", 110}, {"kind", "Kind", 170}}) {
            auto column = std::make_shared<TableColumn>(id);
            column->title = title;
            column->width = width;
            column->sortDescriptorPrototype = SortDescriptor(
                id, true, std::string(id) == "size" ? SortComparison::compare : SortComparison::localizedStandardCompare);
            table->addTableColumn(column);
        }
        table->numberOfRows = [this] { return static_cast<int>(rows.size()); };
        table->viewForRow = [this](const TableColumn& column, int row) -> std::optional<TableCellView> {
            const ::Gallery::Row& r = *rows[row];
            if (column.identifier() == "name")
                return TableCellView{r.name.toStdString(), Workspace::shared().iconForFileType(r.name.section('.', -1).toStdString())};
            if (column.identifier() == "size")
                return TableCellView{QLocale().formattedDataSize(r.size).toStdString(), {}};
            return TableCellView{r.kind.toStdString(), {}};
        };
        table->sortDescriptorsDidChange = [this](const std::vector<SortDescriptor>&) {
            sortUsingDescriptors(rows, table->sortDescriptors());
            table->reloadData();
        };
        table->setUsesAlternatingRowBackgroundColors(true);
        table->setSortDescriptors({*table->tableColumnWithIdentifier("name")->sortDescriptorPrototype});

        path->setPathItems({
            std::make_shared<PathControlItem>(PathControlItem{"holiday-photos-2026.tar.gz", Workspace::shared().iconForFileType("gz")}),
            std::make_shared<PathControlItem>(PathControlItem{"Pictures", Workspace::shared().folderIcon()}),
            std::make_shared<PathControlItem>(PathControlItem{"Beach", Workspace::shared().folderIcon()}),
        });
        pathContainer->setHasVerticalScroller(false);
        pathContainer->setHasHorizontalScroller(false);
        pathContainer->setBorderType(0);
        pathContainer->setDocumentView(path);
        pathContainer->widget()->setFixedHeight(30);

        picture = QDir::temp().filePath("kelvora-gallery-beach.png");
        QImage image(640, 400, QImage::Format_RGB32);
        QPainter painter(&image);
        QLinearGradient sky(0, 0, 0, 400);
        sky.setColorAt(0, QColor(90, 160, 230));
        sky.setColorAt(0.6, QColor(200, 230, 250));
        sky.setColorAt(0.61, QColor(235, 210, 150));
        sky.setColorAt(1, QColor(220, 190, 120));
        painter.fillRect(image.rect(), sky);
        painter.setBrush(QColor(255, 220, 60));
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(QPoint(480, 90), 45, 45);
        painter.end();
        image.save(picture);
        preview->setPreviewItem(picture.toStdString());

        split->addArrangedSubview(table);
        split->addArrangedSubview(preview);
        split->setDelegate(shared_from_this());

        auto root = std::make_shared<View>();
        auto* column = new QVBoxLayout(root->widget());
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(0);
        column->addWidget(pathContainer->widget());
        column->addWidget(split->widget(), 1);
        auto* description = new QLabel(QStringLiteral("100,000 items, 2.3 TB"));
        description->setContentsMargins(8, 4, 8, 4);
        column->addWidget(description);
        browser->setView(root);

        auto tasksView = std::make_shared<View>(new QLabel(QStringLiteral("No running tasks")));
        tasks->setView(tasksView);

        window = Window::withContentViewController(browser);
        window->setTitle("holiday-photos-2026.tar.gz");
        window->setContentSize({1100, 660});
        auto toolbar = std::make_shared<Toolbar>("ArchiveBrowserWindowToolbar");
        toolbar->setDelegate(shared_from_this());
        window->setToolbar(toolbar);
        if (auto item = toolbar->itemWithIdentifier("com.tarnu.Kelvora.tasks")) {
            std::weak_ptr<GalleryWindow> weak = shared_from_this();
            item->setActionHandler("tasksClicked:", [weak](Responder*) {
                auto self = weak.lock();
                if (self && self->tasks->presentingViewController() == nullptr)
                    self->browser->present(self->tasks, {}, self->pathContainer, RectEdge::minY, PopoverBehavior::transient);
            });
            item->setTarget(std::weak_ptr<Responder>(std::static_pointer_cast<Responder>(item)));
            item->setAction("tasksClicked:");
        }
        window->center();
        window->makeKeyAndOrderFront();
        split->setPositionOfDivider(700, 0);
        table->selectRowIndexes({2}, false);
    }

    void showSheet()
    {
        auto alert = Alert::make();
        alert->alertStyle = AlertStyle::critical;
        alert->messageText = "\"IMG_2041.jpg\" already exists. Do you want to replace it?";
        alert->addButton("Skip");
        alert->addButton("Skip All");
        alert->addButton("Replace");
        alert->addButton("Replace All");
        alert->addButton("Cancel");
        alert->beginSheetModal(window, [alert](ModalResponse) {});
    }
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // Made first, as in the application: it picks the icon theme.
    AppKit::Application::shared();
    const bool sheet = !app.arguments().contains("--no-sheet");
    auto gallery = std::make_shared<GalleryWindow>();
    gallery->build();
    if (sheet)
        QTimer::singleShot(200, [&] { gallery->showSheet(); });
    return app.exec();
}
