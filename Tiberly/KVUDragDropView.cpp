#include "Tiberly/KVUDragDropView.h"

#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPainter>
#include <QPalette>
#include <QUrl>

namespace Tiberly {

namespace {

constexpr int reasonMargin = 16;
constexpr double reasonScale = 1.5;

std::vector<std::string> localPaths(const QMimeData* data)
{
    return data ? AppKit::Pasteboard(data).filePaths() : std::vector<std::string>{};
}

} // namespace

// The view owns no Qt object of its own; the widget finds it through the
// layer's widget registry, so a drop after the view is gone does nothing.
class DropZoneWidget : public QWidget {
public:
    DropZoneWidget() { setAcceptDrops(true); }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override { offer(event); }
    void dragMoveEvent(QDragMoveEvent* event) override { offer(event); }
    void dragLeaveEvent(QDragLeaveEvent* event) override
    {
        if (auto view = zone())
            view->setHighlighted(false);
        event->accept();
    }
    void dropEvent(QDropEvent* event) override
    {
        auto view = zone();
        if (!view)
            return event->ignore();
        view->setHighlighted(false);
        const auto paths = localPaths(event->mimeData());
        const auto operation = paths.empty() ? DragOperation::none : view->operationFor(paths);
        if (operation == DragOperation::none)
            return event->ignore();
        event->setDropAction(AppKit::qtDropAction(operation));
        event->accept();
        view->receive(paths);
    }
    void paintEvent(QPaintEvent* event) override
    {
        QWidget::paintEvent(event);
        auto view = zone();
        if (!view || !view->isHighlighted())
            return;
        QPainter painter(this);
        const bool refusing = view->isRefusing();
        // The theme has no colour for "cannot"; red is what users read as it.
        QColor colour = refusing ? QColor(Qt::red) : palette().color(QPalette::Highlight);
        painter.setPen(QPen(colour, 3));
        colour.setAlpha(refusing ? 255 : 40);
        painter.setBrush(colour);
        painter.drawRoundedRect(rect().adjusted(2, 2, -2, -2), 8, 8);
        if (!refusing)
            return;
        // Opaque, covering the hint beneath, so that the reason reads alone.
        painter.setPen(Qt::white);
        QFont bold = font();
        bold.setBold(true);
        bold.setPointSizeF(bold.pointSizeF() * reasonScale);
        painter.setFont(bold);
        painter.drawText(rect().adjusted(reasonMargin, reasonMargin, -reasonMargin, -reasonMargin),
                         Qt::AlignCenter | Qt::TextWordWrap, QString::fromStdString(view->refusalReason()));
    }

private:
    std::shared_ptr<KVUDragDropView> zone()
    {
        return std::dynamic_pointer_cast<KVUDragDropView>(AppKit::View::forWidget(this));
    }

    void offer(QDragMoveEvent* event)
    {
        auto view = zone();
        const auto paths = localPaths(event->mimeData());
        const auto operation = view && !paths.empty() ? view->operationFor(paths) : DragOperation::none;
        if (view)
            view->setHighlighted(operation != DragOperation::none);
        if (operation == DragOperation::none)
            return event->ignore();
        event->setDropAction(AppKit::qtDropAction(operation));
        event->accept();
    }
};

KVUDragDropView::KVUDragDropView() : AppKit::View(new DropZoneWidget) {}

std::shared_ptr<KVUDragDropView> KVUDragDropView::make() { return std::make_shared<KVUDragDropView>(); }

DragOperation KVUDragDropView::operationFor(const std::vector<std::string>& paths)
{
    auto delegate = delegate_.lock();
    return delegate ? delegate->dragOperationForFiles(*this, paths) : DragOperation::none;
}

void KVUDragDropView::receive(const std::vector<std::string>& paths)
{
    if (auto delegate = delegate_.lock())
        delegate->didReceiveDroppedFiles(*this, paths);
}

void KVUDragDropView::setRefusalReason(std::optional<std::string> reason)
{
    if (refusalReason_ == reason)
        return;
    refusalReason_ = std::move(reason);
    if (highlighted_ && widget())
        widget()->update();
}

void KVUDragDropView::setHighlighted(bool highlighted)
{
    if (highlighted_ == highlighted)
        return;
    highlighted_ = highlighted;
    if (widget())
        widget()->update();
}

} // namespace Tiberly
