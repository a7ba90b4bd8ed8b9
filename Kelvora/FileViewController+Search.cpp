// Searching the installed archive: the toolbar field's action, the results
// list shown over the browser while the field holds text, and showing a
// chosen result in its folder.

#include "Kelvora/FileViewController.h"
#include "Kelvora/SearchResultViewController.h"
#include "Kelvora/ToolbarItemValidation.h"

#include <QEvent>
#include <QWidget>

#include <algorithm>

namespace {

// Keeps a widget covering its parent as it resizes, as edge constraints
// equal to the parent's would. Goes with the widget.
class CoverParent final : public QObject {
public:
    static constexpr const char* name = "kelvoraCoverParent";

    explicit CoverParent(QWidget* cover) : QObject(cover), cover_(cover)
    {
        setObjectName(QLatin1String(name));
        if (QWidget* parent = cover->parentWidget()) {
            parent->installEventFilter(this);
            cover->setGeometry(parent->rect());
            cover->raise();
        }
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Resize && watched == cover_->parentWidget())
            cover_->setGeometry(cover_->parentWidget()->rect());
        return false;
    }

private:
    QWidget* cover_;
};

} // namespace

void FileViewController::searchFieldChanged(AppKit::Responder* sender)
{
    if (!searchResultViewController)
        return;
    auto* sendingField = dynamic_cast<AppKit::SearchField*>(sender);
    if (!sendingField)
        return;
    const auto field = std::static_pointer_cast<AppKit::SearchField>(sendingField->shared_from_this());
    const std::string text = field->stringValue();
    if (!text.empty()) {
        if (!isShowingSearchResults())
            showSearchResults();
        searchResultViewController->search(text, field);
    } else {
        if (isShowingSearchResults())
            hideSearchResults();
        searchResultViewController->clearSearch(field);
    }
    if (auto window = this->window())
        validateVisibleToolbarItems(*window);
}

void FileViewController::showSearchResults()
{
    resultContainerView->setHidden(true);
    addChildViewController(searchResultViewController);
    const auto listView = searchResultViewController->view();
    view()->addSubview(listView, AppKit::Placement::free());
    new CoverParent(listView->widget());
}

void FileViewController::hideSearchResults()
{
    resultContainerView->setHidden(false);
    if (!searchResultViewController)
        return;
    searchResultViewController->removeFromParentViewController();
    if (!searchResultViewController->isViewLoaded())
        return;
    const auto listView = searchResultViewController->view();
    if (QWidget* widget = listView->widget())
        delete widget->findChild<QObject*>(QLatin1String(CoverParent::name), Qt::FindDirectChildrenOnly);
    listView->removeFromSuperview();
}

void FileViewController::searchResultViewControllerDidSelect(SearchResultViewController&,
                                                             const ZODArchiveModelPtr& entry,
                                                             const AppKit::SearchFieldPtr& searchField)
{
    if (searchField)
        searchField->setStringValue({});
    hideSearchResults();
    // The toolbar follows at once: navigation and extraction are back.
    if (auto window = this->window())
        validateVisibleToolbarItems(*window);

    const auto parent = entry ? entry->parent() : nullptr;
    if (!parent)
        return;
    if (!currentDirectory || currentDirectory != parent) {
        updatePathControl(parent);
        pushHistory(parent);
        showDirectory(parent);
    }
    const auto found = std::find(items.begin(), items.end(), entry);
    if (found == items.end())
        return;
    const int row = static_cast<int>(found - items.begin());
    tableView->scrollRowToVisible(row);
    tableView->selectRowIndexes({row}, false);
}
