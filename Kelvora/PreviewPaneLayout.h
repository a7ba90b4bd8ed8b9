#pragma once
// Keeps the browser's preview pane (the second pane of its split) at the
// width and visibility the user left it, across launches, in the standard
// defaults ("PreviewPaneWidth", "PreviewPaneHidden"); the first time it shows
// at a third of the split. Lives as a child of the splitter. Main thread only.

#include <QObject>
#include <QPointer>

class QSplitter;

class PreviewPaneLayout : public QObject {
    Q_OBJECT
public:
    static PreviewPaneLayout* attach(QSplitter* splitter);
    static PreviewPaneLayout* of(QSplitter* splitter);

    bool isPaneVisible() const;
    void setPaneVisible(bool visible);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit PreviewPaneLayout(QSplitter* splitter);
    void place();
    void paneMoved();

    QPointer<QSplitter> splitter_;
    bool placed_ = false;
    // The width the pane had when last shown.
    int width_ = 0;
    bool hidden_ = false;
};
