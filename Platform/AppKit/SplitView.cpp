#include "Platform/AppKit/SplitView.h"

#include "Platform/Dispatch/Dispatch.h"

#include <QEvent>
#include <QSplitter>

#include <algorithm>
#include <numeric>

namespace AppKit {

namespace {

// Asks the delegate again whenever a divider is grabbed, so its answer may
// change over time as the platform's does.
class HandleWatcher : public QObject {
public:
    HandleWatcher(QObject* parent, std::function<void()> refresh)
        : QObject(parent), refresh_(std::move(refresh))
    {
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonPress)
            refresh_();
        return false;
    }

private:
    std::function<void()> refresh_;
};

} // namespace

std::shared_ptr<SplitView> SplitView::make()
{
    return std::make_shared<SplitView>();
}

SplitView::SplitView()
    : View(new QSplitter(Qt::Horizontal))
{
    splitter()->setChildrenCollapsible(false);
}

QSplitter* SplitView::splitter() const
{
    return static_cast<QSplitter*>(widget());
}

void SplitView::setVertical(bool vertical)
{
    vertical_ = vertical;
    splitter()->setOrientation(vertical ? Qt::Horizontal : Qt::Vertical);
}

void SplitView::addArrangedSubview(const ViewPtr& view)
{
    Dispatch::assertMainThread("SplitView::addArrangedSubview");
    if (!view || !view->widget())
        return;
    panes_.push_back(view);
    splitter()->addWidget(view->widget());
    const int index = splitter()->count() - 1;
    if (index > 0) {
        std::weak_ptr<View> weak = weak_from_this();
        splitter()->handle(index)->installEventFilter(new HandleWatcher(splitter()->handle(index), [weak] {
            if (auto self = std::static_pointer_cast<SplitView>(weak.lock()))
                self->refreshCollapsible();
        }));
    }
    refreshCollapsible();
}

void SplitView::setDelegate(const std::shared_ptr<SplitViewDelegate>& delegate)
{
    delegate_ = delegate;
    refreshCollapsible();
}

int SplitView::indexOf(const View& pane) const
{
    for (size_t i = 0; i < panes_.size(); ++i)
        if (panes_[i].get() == &pane)
            return static_cast<int>(i);
    return -1;
}

bool SplitView::canCollapse(const View& pane)
{
    auto d = delegate_.lock();
    return d && indexOf(pane) >= 0 && d->splitViewCanCollapseSubview(*this, pane);
}

void SplitView::refreshCollapsible()
{
    for (size_t i = 0; i < panes_.size(); ++i)
        splitter()->setCollapsible(static_cast<int>(i), canCollapse(*panes_[i]));
}

bool SplitView::isSubviewCollapsed(const View& pane) const
{
    const int index = indexOf(pane);
    if (index < 0)
        return false;
    const QList<int> sizes = splitter()->sizes();
    return index < sizes.size() && sizes[index] == 0 && !pane.isHidden();
}

bool SplitView::collapse(const View& pane)
{
    Dispatch::assertMainThread("SplitView::collapse");
    const int index = indexOf(pane);
    if (index < 0 || !canCollapse(pane) || panes_.size() < 2)
        return false;
    if (isSubviewCollapsed(pane))
        return true;
    QList<int> sizes = splitter()->sizes();
    sizesBeforeCollapse_.assign(sizes.begin(), sizes.end());
    // The collapsed pane's room goes to its neighbour.
    const int neighbour = index + 1 < sizes.size() ? index + 1 : index - 1;
    sizes[neighbour] += sizes[index];
    sizes[index] = 0;
    splitter()->setSizes(sizes);
    return true;
}

void SplitView::expand(const View& pane)
{
    const int index = indexOf(pane);
    if (index < 0 || !isSubviewCollapsed(pane))
        return;
    QList<int> sizes = splitter()->sizes();
    const int total = std::accumulate(sizes.begin(), sizes.end(), 0);
    if (sizesBeforeCollapse_.size() == static_cast<size_t>(sizes.size()) && sizesBeforeCollapse_[index] > 0) {
        splitter()->setSizes(QList<int>(sizesBeforeCollapse_.begin(), sizesBeforeCollapse_.end()));
        return;
    }
    const int share = std::max(1, total / static_cast<int>(sizes.size()));
    const int neighbour = index + 1 < sizes.size() ? index + 1 : index - 1;
    sizes[neighbour] = std::max(0, sizes[neighbour] - share);
    sizes[index] = share;
    splitter()->setSizes(sizes);
}

void SplitView::setPositionOfDivider(int position, int index)
{
    if (index < 0 || index + 1 >= static_cast<int>(panes_.size()))
        return;
    QList<int> sizes = splitter()->sizes();
    int before = 0;
    for (int i = 0; i < index; ++i)
        before += sizes[i];
    const int pairTotal = sizes[index] + sizes[index + 1];
    // Only a pane the delegate lets collapse may end up with no room.
    const auto least = [&](int i) { return canCollapse(*panes_[i]) ? 0 : std::min(pairTotal / 2, 1); };
    const int first = std::clamp(position - before, least(index), pairTotal - least(index + 1));
    sizes[index] = first;
    sizes[index + 1] = pairTotal - first;
    splitter()->setSizes(sizes);
}

} // namespace AppKit
