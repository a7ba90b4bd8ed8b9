#include "Kelvora/WindowOperations.h"

#include "Kelvora/Strings.h"
#include "Platform/Dispatch/Dispatch.h"

#include <QLinearGradient>
#include <QPainter>
#include <QEvent>
#include <QWidget>

namespace {
// Stands in for the platform's translucent material: a soft gradient of the
// window colour, painted behind every other view.
class VisualEffectWidget : public QWidget {
public:
    explicit VisualEffectWidget(QWidget* content)
        : QWidget(content)
    {
        setObjectName(visualEffectViewName);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        content->installEventFilter(this);
        setGeometry(content->rect());
        lower();
        show();
    }

protected:
    // Follows the content's size, outside its layout (the content may have
    // a layout of its own).
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == parent() && event->type() == QEvent::Resize)
            setGeometry(static_cast<QWidget*>(watched)->rect());
        return false;
    }

    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QColor base = palette().color(QPalette::Window);
        QLinearGradient gradient(0, 0, 0, height());
        gradient.setColorAt(0, base.lighter(104));
        gradient.setColorAt(1, base.darker(103));
        painter.fillRect(rect(), gradient);
    }
};
} // namespace

void addVisualEffectBackground(AppKit::Window& window)
{
    Dispatch::assertMainThread("addVisualEffectBackground");
    auto content = window.contentView();
    if (!content || !content->widget())
        return;
    content->widget()->setAttribute(Qt::WA_StyledBackground, false);
    new VisualEffectWidget(content->widget());
}

void setAppWindowTitle(AppKit::Window& window)
{
    window.setTitle(localizedString("APP_WINDOW_TITLE"));
}

void disableZoomButton(AppKit::Window& window)
{
    window.setStandardButtonEnabled(AppKit::WindowButton::zoom, false);
}
