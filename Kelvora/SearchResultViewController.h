#pragma once
// The search results list of one analysed archive: made for each archive a
// browser installs, with the browser as its delegate. Each query walks the
// whole tree as one cancellable operation on the list's own queue; only the
// latest query's matches reach the table, on the main thread. Everything
// but the walk is main-thread only.

#include "Brackwen/ZODArchiveModel.h"
#include "Platform/AppKit/ArrayController.h"
#include "Platform/AppKit/Controls.h"
#include "Platform/AppKit/SearchField.h"
#include "Platform/AppKit/TableView.h"
#include "Platform/AppKit/ViewController.h"
#include "Platform/Foundation/OperationQueue.h"

#include <QVariant>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class SearchResultViewController;

class SearchResultViewControllerDelegate {
public:
    virtual ~SearchResultViewControllerDelegate() = default;
    // A result was chosen; the field is the one of the latest search or
    // clear, none when it is gone.
    virtual void searchResultViewControllerDidSelect(SearchResultViewController& controller,
                                                     const ZODArchiveModelPtr& entry,
                                                     const AppKit::SearchFieldPtr& searchField) = 0;
};

// The entries below the directory (not the directory itself) whose names
// contain the text, case ignored: each subdirectory before what it holds,
// all subdirectories before the directory's own files. None as soon as the
// operation is found cancelled, never a partial list. Runs on any thread:
// it reads only the immutable tree and the operation's flag.
std::optional<std::vector<ZODArchiveModelPtr>> searchDirectoryTree(const ZODArchiveDirectoryPtr& directory,
                                                                   const std::string& text,
                                                                   const Foundation::BlockOperation& operation);

// The Size cells' formatter, shared by every results list.
const std::function<std::string(const QVariant&)>& searchSizeFormatter();

class SearchResultViewController : public AppKit::ViewController {
public:
    explicit SearchResultViewController(ZODArchiveDirectoryPtr root);
    ~SearchResultViewController() override;

    // Made on first use.
    const AppKit::TableViewPtr& tableView();
    const AppKit::ViewPtr& scrollView();
    const std::shared_ptr<AppKit::ProgressIndicator>& progressIndicator();

    const ZODArchiveDirectoryPtr& root() const { return root_; }
    Foundation::OperationQueue& searchQueue() { return searchQueue_; }
    // The latest search's operation; cancelled by the next search or a
    // clear, never cleared.
    const Foundation::OperationPtr& currentOperation() const { return currentOperation_; }
    const AppKit::ArrayControllerPtr& searchResults() const { return searchResults_; }
    const std::shared_ptr<AppKit::TextField>& noResultTextField() const { return noResultTextField_; }
    // The current results in the order the table shows them.
    const std::vector<ZODArchiveModelPtr>& rawSearchResults() const { return rawSearchResults_; }
    AppKit::SearchFieldPtr lastSearchField() const { return lastSearchField_.lock(); }
    std::weak_ptr<SearchResultViewControllerDelegate> delegate;

    // Starts a search for the (non-empty) text, superseding any running one.
    void search(const std::string& text, const AppKit::SearchFieldPtr& field);
    // Stops the running search and empties the list.
    void clearSearch(const AppKit::SearchFieldPtr& field);
    // Re-sorts the results by the table's sort descriptors.
    void applySortDescriptors();
    // The table's double action: hands the clicked result to the delegate.
    void tableViewDoubleClick();

protected:
    void loadView() override;
    void viewDidLoad() override;

private:
    struct SortedResults;
    std::weak_ptr<SearchResultViewController> weakSelf();
    static void performSearchOperation(const std::weak_ptr<Foundation::BlockOperation>& weakOperation,
                                       const ZODArchiveDirectoryPtr& root, const std::string& text,
                                       const std::vector<AppKit::SortDescriptor>& descriptors,
                                       const std::weak_ptr<SearchResultViewController>& weakSelf);
    static void showResults(const Foundation::OperationPtr& operation,
                            const std::weak_ptr<SearchResultViewController>& weakSelf, SortedResults results,
                            const std::string& text);
    void publish(SortedResults results);
    void makeColumns();
    void stopSpinner();

    AppKit::TableViewPtr tableView_;
    AppKit::ViewPtr scrollView_;
    std::shared_ptr<AppKit::ProgressIndicator> progressIndicator_;
    const ZODArchiveDirectoryPtr root_;
    Foundation::OperationPtr currentOperation_;
    AppKit::ArrayControllerPtr searchResults_;
    std::shared_ptr<AppKit::TextField> noResultTextField_;
    std::vector<ZODArchiveModelPtr> rawSearchResults_;
    std::weak_ptr<AppKit::SearchField> lastSearchField_;
    // Last, so it is destroyed first: its destructor waits for the
    // operations still running, which no longer need the fields above.
    Foundation::OperationQueue searchQueue_;
};

using SearchResultViewControllerPtr = std::shared_ptr<SearchResultViewController>;
