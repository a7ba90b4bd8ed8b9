#include "Kelvora/WindowOperations.h"

#include "Kelvora/Strings.h"
#include "Platform/Dispatch/Dispatch.h"

#include <QLinearGradient>
#include <QPainter>
#include <QWidget>

namespace {
// Stands in for the platform's translucent material: a soft gradient of the
// window colour, painted behind every other view.
class VisualEffectWidget : public QWidget {
public:
    VisualEffectWidget()
    {
        setObjectName(visualEffectViewName);
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
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
    auto effect = std::make_shared<AppKit::View>(new VisualEffectWidget);
    content->addSubview(effect, AppKit::Placement::fill());
    effect->widget()->lower();
}

void setAppWindowTitle(AppKit::Window& window)
{
    window.setTitle(localizedString("APP_WINDOW_TITLE"));
}

void disableZoomButton(AppKit::Window& window)
{
    window.setStandardButtonEnabled(AppKit::WindowButton::zoom, false);
}
