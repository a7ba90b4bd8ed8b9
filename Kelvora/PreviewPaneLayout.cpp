#include "Kelvora/PreviewPaneLayout.h"

#include "Platform/Foundation/UserDefaults.h"

#include <QEvent>
#include <QSplitter>

#include <algorithm>

namespace {
constexpr const char* kWidthKey = "PreviewPaneWidth";
constexpr const char* kHiddenKey = "PreviewPaneHidden";
// Neither pane is squeezed below this by a restored width.
constexpr int kMinimumPaneWidth = 120;
} // namespace

PreviewPaneLayout* PreviewPaneLayout::attach(QSplitter* splitter)
{
    return new PreviewPaneLayout(splitter);
}

PreviewPaneLayout* PreviewPaneLayout::of(QSplitter* splitter)
{
    return splitter ? splitter->findChild<PreviewPaneLayout*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

PreviewPaneLayout::PreviewPaneLayout(QSplitter* splitter) : QObject(splitter), splitter_(splitter)
{
    auto defaults = Foundation::UserDefaults::standard();
    width_ = static_cast<int>(defaults->integerForKey(kWidthKey));
    hidden_ = defaults->boolForKey(kHiddenKey);
    splitter->installEventFilter(this);
    connect(splitter, &QSplitter::splitterMoved, this, [this] { paneMoved(); });
}

bool PreviewPaneLayout::eventFilter(QObject* watched, QEvent* event)
{
    // The split's width is known only once it is laid out in its window.
    if (watched == splitter_ && event->type() == QEvent::Resize && !placed_ && splitter_->width() > 0)
        place();
    return QObject::eventFilter(watched, event);
}

void PreviewPaneLayout::place()
{
    placed_ = true;
    const int total = splitter_->width() - splitter_->handleWidth();
    if (width_ <= 0)
        width_ = total / 3;
    width_ = std::clamp(width_, std::min(kMinimumPaneWidth, total / 2), std::max(total - kMinimumPaneWidth, total / 2));
    splitter_->setSizes({total - (hidden_ ? 0 : width_), hidden_ ? 0 : width_});
}

bool PreviewPaneLayout::isPaneVisible() const
{
    return splitter_ && splitter_->count() > 1 && (placed_ ? splitter_->sizes().value(1) > 0 : !hidden_);
}

void PreviewPaneLayout::setPaneVisible(bool visible)
{
    if (!splitter_ || splitter_->count() < 2)
        return;
    hidden_ = !visible;
    Foundation::UserDefaults::standard()->setValue(hidden_, kHiddenKey);
    if (!placed_)
        return;
    const QList<int> sizes = splitter_->sizes();
    const int total = sizes.value(0) + sizes.value(1);
    const int pane = visible ? std::min(width_, std::max(total - kMinimumPaneWidth, total / 2)) : 0;
    splitter_->setSizes({total - pane, pane});
}

void PreviewPaneLayout::paneMoved()
{
    const int pane = splitter_->sizes().value(1);
    hidden_ = pane == 0;
    auto defaults = Foundation::UserDefaults::standard();
    if (!hidden_) {
        width_ = pane;
        defaults->setValue(width_, kWidthKey);
    }
    defaults->setValue(hidden_, kHiddenKey);
}
