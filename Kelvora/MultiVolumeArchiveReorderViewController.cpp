#include "Kelvora/MultiVolumeArchiveReorderViewController.h"

#include "Kelvora/Strings.h"
#include "Platform/AppKit/Window.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

std::string MultiVolumeArchiveReorderViewController::PathObject::name() const
{
    return QFileInfo(QString::fromStdString(path)).fileName().toStdString();
}

QVariant MultiVolumeArchiveReorderViewController::PathObject::valueForKey(const std::string& key) const
{
    if (key == "path")
        return QString::fromStdString(path);
    if (key == "name")
        return QString::fromStdString(name());
    return {};
}

MultiVolumeArchiveReorderViewController::MultiVolumeArchiveReorderViewController(const std::vector<std::string>& paths,
                                                                                 Handler handler)
    : handler_(std::move(handler))
{
    std::vector<AppKit::KeyValueObjectPtr> objects;
    for (const auto& path : paths)
        objects.push_back(std::make_shared<PathObject>(path));
    paths_ = std::make_shared<AppKit::ArrayController>(std::move(objects));
}

std::shared_ptr<AppKit::TableView> MultiVolumeArchiveReorderViewController::tableView()
{
    if (!tableView_)
        tableView_ = AppKit::TableView::make();
    return tableView_;
}

void MultiVolumeArchiveReorderViewController::loadView()
{
    auto* root = new QWidget;
    root->setFixedSize(400, 300);
    auto* layout = new QVBoxLayout(root);
    layout->setContentsMargins(0, 0, 0, 0);
    auto table = tableView();
    table->setRowHeight(17);
    table->setIntercellSpacing({3, 2});
    layout->addWidget(table->widget(), 1);
    auto* buttonBar = new QHBoxLayout;
    buttonBar->setContentsMargins(12, 8, 12, 8);
    buttonBar->setSpacing(8);
    buttonBar->addStretch(1);
    auto* cancelButton = new QPushButton(QString::fromStdString(localizedString("COMMON_CANCEL")));
    auto* okButton = new QPushButton(QString::fromStdString(localizedString("COMMON_OK")));
    AppKit::setButtonKeyEquivalent(okButton, "\r");
    AppKit::setButtonKeyEquivalent(cancelButton, "\x1b");
    buttonBar->addWidget(cancelButton);
    buttonBar->addWidget(okButton);
    layout->addLayout(buttonBar);
    std::weak_ptr<MultiVolumeArchiveReorderViewController> weakSelf =
        std::static_pointer_cast<MultiVolumeArchiveReorderViewController>(shared_from_this());
    QObject::connect(okButton, &QPushButton::clicked, root, [weakSelf] {
        if (auto self = weakSelf.lock())
            self->ok();
    });
    QObject::connect(cancelButton, &QPushButton::clicked, root, [weakSelf] {
        if (auto self = weakSelf.lock())
            self->cancel();
    });
    setView(std::make_shared<AppKit::View>(root));
}

void MultiVolumeArchiveReorderViewController::viewDidLoad()
{
    AppKit::ViewController::viewDidLoad();
    auto table = tableView();
    auto column = std::make_shared<AppKit::TableColumn>("Name");
    column->valueKeyPath = "objectValue.name";
    column->width = 380;
    table->addTableColumn(column);
    table->setHeaderHidden(true);
    table->bindContent(paths_);
    std::weak_ptr<MultiVolumeArchiveReorderViewController> weakSelf =
        std::static_pointer_cast<MultiVolumeArchiveReorderViewController>(shared_from_this());
    table->writeRows = [weakSelf](const AppKit::IndexSet& rows, AppKit::Pasteboard& pasteboard) {
        auto self = weakSelf.lock();
        return self && self->writeRows(rows, pasteboard);
    };
    table->validateDrop = [weakSelf](const AppKit::DraggingInfo&, int, AppKit::TableViewDropOperation operation) {
        auto self = weakSelf.lock();
        return self ? self->validateDrop(operation) : AppKit::DragOperation::none;
    };
    table->acceptDrop = [weakSelf](const AppKit::DraggingInfo&, int row, AppKit::TableViewDropOperation) {
        auto self = weakSelf.lock();
        return self && self->acceptDrop(row);
    };
    table->registerForDraggedTypes({pbIdentifier});
}

bool MultiVolumeArchiveReorderViewController::writeRows(const AppKit::IndexSet& rows, AppKit::Pasteboard& pasteboard)
{
    pasteboard.declareTypes({pbIdentifier});
    draggingIndexes = rows;
    return true;
}

AppKit::DragOperation MultiVolumeArchiveReorderViewController::validateDrop(AppKit::TableViewDropOperation operation) const
{
    return operation == AppKit::TableViewDropOperation::above ? AppKit::DragOperation::move : AppKit::DragOperation::none;
}

bool MultiVolumeArchiveReorderViewController::acceptDrop(int row)
{
    const AppKit::IndexSet dragged = draggingIndexes.value_or(AppKit::IndexSet{});
    std::vector<AppKit::KeyValueObjectPtr> moved;
    for (int index : dragged)
        if (index >= 0 && index < static_cast<int>(paths_->arrangedObjects().size()))
            moved.push_back(paths_->arrangedObjects()[static_cast<size_t>(index)]);
    for (auto it = dragged.rbegin(); it != dragged.rend(); ++it)
        if (*it >= 0 && *it < static_cast<int>(paths_->arrangedObjects().size()))
            paths_->remove(static_cast<size_t>(*it));
    const auto below = std::count_if(dragged.begin(), dragged.end(), [row](int index) { return index < row; });
    const auto target = static_cast<size_t>(std::max<long>(0, row - below));
    for (size_t k = 0; k < moved.size(); ++k)
        paths_->insert(moved[k], std::min(target + k, paths_->arrangedObjects().size()));
    draggingIndexes.reset();
    return true;
}

std::vector<std::string> MultiVolumeArchiveReorderViewController::orderedPaths() const
{
    std::vector<std::string> result;
    for (const auto& object : paths_->arrangedObjects())
        result.push_back(static_cast<const PathObject&>(*object).path);
    return result;
}

void MultiVolumeArchiveReorderViewController::ok()
{
    finish(orderedPaths());
}

void MultiVolumeArchiveReorderViewController::cancel()
{
    finish(std::nullopt);
}

void MultiVolumeArchiveReorderViewController::finish(std::optional<std::vector<std::string>> result)
{
    auto keepAlive = shared_from_this();
    if (auto presenter = presentingViewController())
        presenter->dismissViewController(keepAlive);
    if (handler_)
        handler_(std::move(result));
}
