#include "Kelvora/SearchResultViewController.h"

#include "Kelvora/ByteCountFormatter.h"
#include "Kelvora/Strings.h"
#include "Platform/Dispatch/Dispatch.h"
#include "Platform/Foundation/LocalizedString.h"
#include "Platform/Foundation/StringCompare.h"

#include <QAbstractScrollArea>
#include <QLabel>

#include <variant>

namespace {

// One result as the table's bindings and the sort descriptors read it.
class SearchResultObject final : public AppKit::KeyValueObject {
public:
    explicit SearchResultObject(ZODArchiveModelPtr entry) : entry(std::move(entry)) {}

    QVariant valueForKey(const std::string& key) const override
    {
        const ZODValue value = entry->valueForKey(key);
        if (const auto* text = std::get_if<std::string>(&value))
            return QString::fromStdString(*text);
        if (const auto* number = std::get_if<int64_t>(&value))
            return QVariant::fromValue<qint64>(*number);
        if (const auto* flag = std::get_if<bool>(&value))
            return *flag;
        if (const auto* date = std::get_if<ZODDate>(&value))
            return QVariant::fromValue<qint64>(date->time_since_epoch().count());
        return {};
    }

    const ZODArchiveModelPtr entry;
};

struct ColumnLayout {
    const char* identifier;
    const char* titleKey;
    int minWidth;
    int maxWidth;
    int width;
    const char* sortKey;
    AppKit::SortComparison comparison;
};

constexpr ColumnLayout nameColumn{"Name", "SEARCH_RESULT_TABLE_COLUMN_NAME", 300, 1000, 350, "name",
                                AppKit::SortComparison::localizedStandardCompare};
constexpr ColumnLayout sizeColumn{"Size", "SEARCH_RESULT_TABLE_COLUMN_SIZE", 80, 160, 80, "size",
                                AppKit::SortComparison::compare};
constexpr ColumnLayout kindColumn{"Kind", "SEARCH_RESULT_TABLE_COLUMN_KIND", 80, 160, 80, "typeDescription",
                                AppKit::SortComparison::localizedStandardCompare};

AppKit::TableColumnPtr makeColumn(const ColumnLayout& layout)
{
    auto column = std::make_shared<AppKit::TableColumn>(layout.identifier);
    column->title = localizedString(layout.titleKey);
    column->minWidth = layout.minWidth;
    column->maxWidth = layout.maxWidth;
    column->width = layout.width;
    column->sortDescriptorPrototype = AppKit::SortDescriptor(layout.sortKey, true, layout.comparison);
    return column;
}

// The cell of a column: its text bound to the row's object, the sizes
// through the shared formatter. Cells are painted from these bindings and
// never made per row.
void bindCell(AppKit::TableColumn& column)
{
    const std::string& identifier = column.identifier();
    if (identifier == sizeColumn.identifier) {
        column.formatter = searchSizeFormatter();
        column.valueKeyPath = "objectValue.size";
    } else if (identifier == kindColumn.identifier) {
        column.valueKeyPath = "objectValue.typeDescription";
    } else if (identifier == nameColumn.identifier) {
        column.valueKeyPath = "objectValue.name";
    }
}

// The result's folder inside the archive, "/" at the top.
std::string folderOf(const ZODArchiveModel& entry)
{
    const auto parent = entry.parent();
    const std::string path = parent ? parent->normalizedPath() : std::string();
    return path.empty() ? std::string("/") : path;
}

bool matches(const ZODArchiveModel& entry, const std::string& text)
{
    return Foundation::localizedCaseInsensitiveContains(entry.name(), text);
}

} // namespace

std::optional<std::vector<ZODArchiveModelPtr>> searchDirectoryTree(const ZODArchiveDirectoryPtr& directory,
                                                                   const std::string& text,
                                                                   const Foundation::BlockOperation& operation)
{
    std::vector<ZODArchiveModelPtr> results;
    if (!directory)
        return results;
    // Depth first with a stack of its own rather than recursion, so that a
    // deeply nested archive cannot exhaust the thread's stack.
    struct Frame {
        const ZODArchiveDirectory* directory;
        size_t nextDirectory;
    };
    std::vector<Frame> frames{{directory.get(), 0}};
    while (!frames.empty()) {
        Frame& frame = frames.back();
        const auto& directories = frame.directory->directories();
        if (frame.nextDirectory < directories.size()) {
            const auto& child = directories[frame.nextDirectory++];
            if (matches(*child, text))
                results.push_back(child);
            if (operation.isCancelled())
                return std::nullopt;
            frames.push_back({child.get(), 0});
            continue;
        }
        for (const auto& file : frame.directory->files()) {
            if (matches(*file, text))
                results.push_back(file);
            if (operation.isCancelled())
                return std::nullopt;
        }
        frames.pop_back();
        if (!frames.empty() && operation.isCancelled())
            return std::nullopt;
    }
    return results;
}

const std::function<std::string(const QVariant&)>& searchSizeFormatter()
{
    static const std::function<std::string(const QVariant&)> formatter = [](const QVariant& value) {
        return byteCountString(value.toLongLong());
    };
    return formatter;
}

SearchResultViewController::SearchResultViewController(ZODArchiveDirectoryPtr root)
    : root_(std::move(root)),
      searchResults_(std::make_shared<AppKit::ArrayController>()),
      noResultTextField_(AppKit::TextField::labelWithString({}))
{
}

SearchResultViewController::~SearchResultViewController()
{
    // The queue waits for its running operations when it goes: let them
    // stop at their next check rather than finish the walk.
    searchQueue_.cancelAllOperations();
}

std::weak_ptr<SearchResultViewController> SearchResultViewController::weakSelf()
{
    return std::static_pointer_cast<SearchResultViewController>(shared_from_this());
}

const AppKit::TableViewPtr& SearchResultViewController::tableView()
{
    if (!tableView_)
        tableView_ = AppKit::TableView::make();
    return tableView_;
}

// The table scrolls itself; this container stands for the view around it
// and is what is shown and hidden.
const AppKit::ViewPtr& SearchResultViewController::scrollView()
{
    if (!scrollView_)
        scrollView_ = AppKit::View::make();
    return scrollView_;
}

const std::shared_ptr<AppKit::ProgressIndicator>& SearchResultViewController::progressIndicator()
{
    if (!progressIndicator_)
        progressIndicator_ = AppKit::ProgressIndicator::make(AppKit::ProgressIndicator::Style::spinning);
    return progressIndicator_;
}

void SearchResultViewController::loadView()
{
    auto root = AppKit::View::make();
    // It lies over the browser's own views, which must not show through.
    root->widget()->setAutoFillBackground(true);

    const auto& table = tableView();
    table->setRowHeight(17);
    table->setIntercellSpacing({3, 2});
    if (auto* area = qobject_cast<QAbstractScrollArea*>(table->widget())) {
        area->setFrameShape(QFrame::NoFrame);
        area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        area->viewport()->setAutoFillBackground(false);
    }
    const auto& scroll = scrollView();
    scroll->addSubview(table);
    root->addSubview(scroll);
    scroll->setHidden(true);

    // The label spans the width and sits at the middle height; its text is centred.
    root->addSubview(noResultTextField_);
    const auto& spinner = progressIndicator();
    spinner->setIndeterminate(true);
    root->addSubview(spinner, AppKit::Placement::centre());
    // Adding shows a view: put back the starting state.
    spinner->setHidden(!spinner->isAnimating());
    noResultTextField_->setHidden(true);
    if (auto* label = qobject_cast<QLabel*>(noResultTextField_->widget())) {
        QFont font = label->font();
        font.setWeight(QFont::DemiBold);
        label->setFont(font);
        label->setAlignment(Qt::AlignCenter);
    }

    setView(root);
}

void SearchResultViewController::viewDidLoad()
{
    AppKit::ViewController::viewDidLoad();
    makeColumns();
}

void SearchResultViewController::makeColumns()
{
    const auto& table = tableView();
    const auto name = makeColumn(nameColumn);
    const auto size = makeColumn(sizeColumn);
    const auto kind = makeColumn(kindColumn);
    if (table->sortDescriptors().empty())
        table->setSortDescriptors({*name->sortDescriptorPrototype});
    for (const auto& column : {name, kind, size}) {
        bindCell(*column);
        table->addTableColumn(column);
    }
    table->setAutosaveName("SearchResultView");
    table->setAutosaveTableColumns(true);
    table->setUsesAlternatingRowBackgroundColors(true);
    table->setColumnAutoresizingStyle(AppKit::ColumnAutoresizingStyle::uniform);
    table->bindContent(searchResults_);

    auto weak = weakSelf();
    table->sortDescriptorsDidChange = [weak](const std::vector<AppKit::SortDescriptor>&) {
        if (auto self = weak.lock())
            self->applySortDescriptors();
    };
    table->doubleAction = [weak] {
        if (auto self = weak.lock())
            self->tableViewDoubleClick();
    };
    // Results of one name in many folders are told apart by their folder.
    table->toolTipForRow = [weak](int row) {
        auto self = weak.lock();
        if (!self || row < 0 || row >= static_cast<int>(self->rawSearchResults_.size()))
            return std::string();
        return folderOf(*self->rawSearchResults_[static_cast<size_t>(row)]);
    };
}

// Results in the order of the descriptors, with the objects the table
// binds to. Made on the search queue for a delivery, so that the main
// thread only publishes them when the order asked for has not changed.
struct SearchResultViewController::SortedResults {
    SortedResults(std::vector<ZODArchiveModelPtr> found, std::vector<AppKit::SortDescriptor> order)
        : entries(std::move(found)), descriptors(std::move(order))
    {
        objects.reserve(entries.size());
        for (const auto& entry : entries)
            objects.push_back(std::make_shared<SearchResultObject>(entry));
        AppKit::sortUsingDescriptors(objects, descriptors);
        for (size_t i = 0; i < objects.size(); ++i)
            entries[i] = static_cast<const SearchResultObject&>(*objects[i]).entry;
    }

    std::vector<ZODArchiveModelPtr> entries;
    std::vector<AppKit::SortDescriptor> descriptors;
    std::vector<AppKit::KeyValueObjectPtr> objects;
};

void SearchResultViewController::search(const std::string& text, const AppKit::SearchFieldPtr& field)
{
    Dispatch::assertMainThread("SearchResultViewController::search");
    lastSearchField_ = field;
    if (currentOperation_)
        currentOperation_->cancel();
    progressIndicator()->setHidden(false);
    progressIndicator()->startAnimation();
    noResultTextField_->setHidden(true);
    scrollView()->setHidden(true);

    // The block reaches its own operation weakly: the operation holds the block.
    auto operationCell = std::make_shared<std::weak_ptr<Foundation::BlockOperation>>();
    auto operation = Foundation::BlockOperation::make(
        [operationCell, root = root_, text, descriptors = tableView()->sortDescriptors(), weak = weakSelf()] {
            performSearchOperation(*operationCell, root, text, descriptors, weak);
        });
    *operationCell = operation;
    currentOperation_ = operation;
    searchQueue_.addOperation(operation);
}

void SearchResultViewController::performSearchOperation(
    const std::weak_ptr<Foundation::BlockOperation>& weakOperation, const ZODArchiveDirectoryPtr& root,
    const std::string& text, const std::vector<AppKit::SortDescriptor>& descriptors,
    const std::weak_ptr<SearchResultViewController>& weakSelf)
{
    auto operation = weakOperation.lock();
    if (!operation)
        return;
    auto found = searchDirectoryTree(root, text, *operation);
    if (!found)
        return;
    SortedResults results(std::move(*found), descriptors);
    if (operation->isCancelled())
        return;
    Dispatch::mainQueue()->async([operation, weakSelf, results = std::move(results), text]() mutable {
        showResults(operation, weakSelf, std::move(results), text);
    });
}

void SearchResultViewController::showResults(const Foundation::OperationPtr& operation,
                                             const std::weak_ptr<SearchResultViewController>& weakSelf,
                                             SortedResults results, const std::string& text)
{
    // A newer search or a clear cancelled it.
    if (operation->isCancelled())
        return;
    auto self = weakSelf.lock();
    if (!self)
        return;
    self->stopSpinner();
    if (!results.entries.empty()) {
        self->scrollView()->setHidden(false);
        self->noResultTextField_->setHidden(true);
    } else {
        self->scrollView()->setHidden(true);
        self->noResultTextField_->setStringValue(
            Foundation::format(localizedString("SEARCH_NO_RESULT_MATCHING_TEMPLATE"), {text}));
        self->noResultTextField_->setHidden(false);
    }
    // Sorted on the way here, unless the table's order changed meanwhile.
    if (results.descriptors == self->tableView()->sortDescriptors())
        self->publish(std::move(results));
    else {
        self->rawSearchResults_ = std::move(results.entries);
        self->applySortDescriptors();
    }
}

void SearchResultViewController::applySortDescriptors()
{
    publish(SortedResults(std::move(rawSearchResults_), tableView()->sortDescriptors()));
}

void SearchResultViewController::publish(SortedResults results)
{
    rawSearchResults_ = std::move(results.entries);
    searchResults_->setContent(std::move(results.objects));
}

void SearchResultViewController::clearSearch(const AppKit::SearchFieldPtr& field)
{
    Dispatch::assertMainThread("SearchResultViewController::clearSearch");
    lastSearchField_ = field;
    if (currentOperation_)
        currentOperation_->cancel();
    stopSpinner();
    noResultTextField_->setHidden(true);
    scrollView()->setHidden(true);
    searchResults_->setContent({});
    rawSearchResults_.clear();
}

void SearchResultViewController::stopSpinner()
{
    progressIndicator()->stopAnimation();
    progressIndicator()->setHidden(true);
}

void SearchResultViewController::tableViewDoubleClick()
{
    const int row = tableView()->clickedRow();
    auto receiver = delegate.lock();
    if (row < 0 || !receiver || row >= static_cast<int>(rawSearchResults_.size()))
        return;
    const auto entry = rawSearchResults_[static_cast<size_t>(row)];
    receiver->searchResultViewControllerDidSelect(*this, entry, lastSearchField());
}
