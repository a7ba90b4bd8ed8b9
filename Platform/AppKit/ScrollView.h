#pragma once
// Stand-in for the platform's scroll view over a QScrollArea: one document
// view, scrollers on or off, border and background. The document keeps its
// own size (it is not stretched to the visible area).

#include "Platform/AppKit/View.h"

#include <QPoint>

class QScrollArea;

namespace AppKit {

class ScrollView : public View {
public:
    static std::shared_ptr<ScrollView> make();
    ScrollView();

    ViewPtr documentView() const { return document_; }
    void setDocumentView(const ViewPtr& view);

    void setHasVerticalScroller(bool on);
    void setHasHorizontalScroller(bool on);
    // Border type 0 is none; any other a plain frame.
    void setBorderType(int type);
    void setDrawsBackground(bool draws);

    // Brings the layout of the document and the visible area up to date now.
    void layoutSubtreeIfNeeded();
    // The width and height of the visible part of the document.
    QSize contentSize() const;
    // Scrolls so that the document's point is the visible area's top-left
    // (clamped to the document), and where it is now.
    void scrollToPoint(QPoint point);
    QPoint documentVisibleOrigin() const;

private:
    QScrollArea* area() const;
    ViewPtr document_;
};

using ScrollViewPtr = std::shared_ptr<ScrollView>;

} // namespace AppKit
