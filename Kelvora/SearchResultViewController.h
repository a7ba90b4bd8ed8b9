#pragma once
// The search results list of one analysed archive: made for each archive a
// browser installs, with the browser as its delegate. The search itself
// (tree walk, results table) comes with the toolbar's search field.

#include "Brackwen/ZODArchiveModel.h"
#include "Platform/AppKit/ViewController.h"

#include <memory>

class SearchResultViewController;

class SearchResultViewControllerDelegate {
public:
    virtual ~SearchResultViewControllerDelegate() = default;
    virtual void searchResultViewControllerDidSelect(SearchResultViewController& controller,
                                                     const ZODArchiveModelPtr& entry) = 0;
};

class SearchResultViewController : public AppKit::ViewController {
public:
    explicit SearchResultViewController(ZODArchiveDirectoryPtr root) : root_(std::move(root)) {}

    const ZODArchiveDirectoryPtr& root() const { return root_; }
    std::weak_ptr<SearchResultViewControllerDelegate> delegate;

private:
    const ZODArchiveDirectoryPtr root_;
};
