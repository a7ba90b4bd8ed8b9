#include "Platform/AppKit/ScrollView.h"

#include "Platform/Dispatch/Dispatch.h"

#include <QCoreApplication>
#include <QLayout>
#include <QScrollArea>
#include <QScrollBar>

namespace AppKit {

std::shared_ptr<ScrollView> ScrollView::make()
{
    return std::make_shared<ScrollView>();
}

ScrollView::ScrollView()
    : View(new QScrollArea)
{
    area()->setWidgetResizable(false);
    area()->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

QScrollArea* ScrollView::area() const
{
    return static_cast<QScrollArea*>(widget());
}

void ScrollView::setDocumentView(const ViewPtr& view)
{
    Dispatch::assertMainThread("ScrollView::setDocumentView");
    if (document_ && document_->widget())
        area()->takeWidget();
    document_ = view;
    if (document_ && document_->widget())
        area()->setWidget(document_->widget());
}

void ScrollView::setHasVerticalScroller(bool on)
{
    area()->setVerticalScrollBarPolicy(on ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
}

void ScrollView::setHasHorizontalScroller(bool on)
{
    area()->setHorizontalScrollBarPolicy(on ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
}

void ScrollView::setBorderType(int type)
{
    area()->setFrameShape(type == 0 ? QFrame::NoFrame : QFrame::StyledPanel);
}

void ScrollView::setDrawsBackground(bool draws)
{
    area()->viewport()->setAutoFillBackground(draws);
    if (area()->widget())
        area()->widget()->setAutoFillBackground(draws);
}

void ScrollView::layoutSubtreeIfNeeded()
{
    if (!document_ || !document_->widget())
        return;
    QWidget* doc = document_->widget();
    if (doc->layout())
        doc->layout()->activate();
    doc->adjustSize();
    if (area()->layout())
        area()->layout()->activate();
    // The scroll bars take the new document size from a pending layout
    // request; deliver it now.
    QCoreApplication::sendPostedEvents(area(), QEvent::LayoutRequest);
    QCoreApplication::sendPostedEvents(doc, QEvent::LayoutRequest);
}

QSize ScrollView::contentSize() const
{
    return area()->viewport()->size();
}

void ScrollView::scrollToPoint(QPoint point)
{
    area()->horizontalScrollBar()->setValue(point.x());
    area()->verticalScrollBar()->setValue(point.y());
}

QPoint ScrollView::documentVisibleOrigin() const
{
    return {area()->horizontalScrollBar()->value(), area()->verticalScrollBar()->value()};
}

} // namespace AppKit
