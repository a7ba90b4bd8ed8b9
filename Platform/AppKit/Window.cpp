#include "Platform/AppKit/Window.h"

#include "Platform/AppKit/Menu.h"
#include "Platform/AppKit/Toolbar.h"
#include "Platform/AppKit/ViewController.h"
#include "Platform/AppKit/WindowInternal.h"
#include "Platform/AppKit/WindowWidget.h"
#include "Platform/Dispatch/Dispatch.h"
#include "Platform/Foundation/UserDefaults.h"

#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QHash>
#include <QScreen>
#include <QTabBar>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

namespace AppKit {

// Never destroyed: windows still open at exit must not outlive the QApplication
// in a static destructor.
std::vector<WindowPtr>& orderedWindowList()
{
    static auto* list = new std::vector<WindowPtr>;
    return *list;
}

namespace {
std::vector<WindowPtr>& ordered()
{
    return orderedWindowList();
}
std::weak_ptr<Window>& key()
{
    static std::weak_ptr<Window> window;
    return window;
}
QHash<QWidget*, Window*>& registry()
{
    static QHash<QWidget*, Window*> windows;
    return windows;
}
// Autosave names in use by living windows.
QHash<QString, Window*>& autosaveNames()
{
    static QHash<QString, Window*> names;
    return names;
}
std::string frameKey(const std::string& name)
{
    return "NSWindow Frame " + name;
}
constexpr int kCascadeOffset = 22;

// The menu bar sits inside the window here, above the content.
int menuBarHeight(const QMainWindow* window)
{
    const QWidget* bar = window->menuWidget();
    return bar && bar->isVisibleTo(window) && !bar->actions().isEmpty() ? bar->sizeHint().height() : 0;
}
} // namespace

WindowPtr Window::make(QSize contentSize, unsigned styleMask)
{
    Dispatch::assertMainThread("Window::make");
    WindowPtr window(new Window);
    window->build(contentSize, styleMask);
    return window;
}

WindowPtr Window::makePanel(QSize contentSize, unsigned styleMask)
{
    Dispatch::assertMainThread("Window::makePanel");
    WindowPtr window(new Window);
    window->panel_ = true;
    window->build(contentSize, styleMask);
    return window;
}

WindowPtr Window::withContentViewController(const std::shared_ptr<ViewController>& controller)
{
    auto window = make();
    window->setContentViewController(controller);
    if (controller && controller->preferredContentSize().isValid())
        window->setContentSize(controller->preferredContentSize());
    if (controller && !controller->title().empty())
        window->setTitle(controller->title());
    return window;
}

void Window::build(QSize contentSize, unsigned styleMask)
{
    widget_ = new WindowWidget(this);
    registry().insert(widget_, this);
    contentHost_ = new QWidget;
    auto* box = new QVBoxLayout(contentHost_);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    tabBar_ = new QTabBar;
    tabBar_->setDocumentMode(true);
    tabBar_->setExpanding(true);
    tabBar_->hide();
    box->addWidget(tabBar_);
    widget_->setCentralWidget(contentHost_);
    QObject::connect(tabBar_, &QTabBar::tabBarClicked, widget_, [this](int index) {
        if (!tabGroup_)
            return;
        const auto windows = tabGroup_->live();
        if (index >= 0 && index < static_cast<int>(windows.size()))
            windows[index]->selectTab();
    });
    styleMask_ = styleMask;
    widget_->resize(contentSize);
    applyFlags();
    Menu::installMenuBar(*this);
    registerStandardActions();
}

Window::~Window()
{
    if (!autosaveName_.empty())
        autosaveNames().remove(QString::fromStdString(autosaveName_));
    if (tabGroup_) {
        tabGroup_->remove(this);
        tabGroup_->refresh();
    }
    if (widget_) {
        registry().remove(widget_);
        widget_->detach();
        delete widget_.data();
    }
}

QMainWindow* Window::widget() const
{
    return widget_;
}

WindowPtr Window::forWidget(QWidget* widget)
{
    if (!widget)
        return nullptr;
    Window* window = registry().value(widget->window());
    return window ? window->shared_from_this() : nullptr;
}

std::vector<WindowPtr> Window::orderedWindows()
{
    return ordered();
}

WindowPtr Window::keyWindow()
{
    auto window = key().lock();
    if (window && window->isVisible())
        return window;
    return nullptr;
}

void Window::setTitle(std::string title)
{
    title_ = std::move(title);
    refreshTitle();
}

void Window::setTitleVisibility(TitleVisibility visibility)
{
    titleVisibility_ = visibility;
    refreshTitle();
}

void Window::setRepresentedFilename(std::string path)
{
    representedFilename_ = std::move(path);
    refreshTitle();
}

void Window::refreshTitle()
{
    if (!widget_)
        return;
    QString text = QString::fromStdString(title_);
    if (text.isEmpty() && !representedFilename_.empty())
        text = QFileInfo(QString::fromStdString(representedFilename_)).fileName();
    widget_->setWindowFilePath(QString::fromStdString(representedFilename_));
    // A hidden title leaves the window manager's title bar empty, as the
    // platform's does; the tab bar still names the window.
    widget_->setWindowTitle(titleVisibility_ == TitleVisibility::hidden ? QStringLiteral(" ") : text);
    if (tabGroup_)
        tabGroup_->refresh();
}

void Window::setStyleMask(unsigned mask)
{
    styleMask_ = mask;
    applyFlags();
}

bool Window::isStandardButtonEnabled(WindowButton button) const
{
    switch (button) {
    case WindowButton::close:
        return isClosable() && closeEnabled_;
    case WindowButton::miniaturize:
        return (styleMask_ & StyleMask::miniaturizable) && miniaturizeEnabled_;
    case WindowButton::zoom:
        return (styleMask_ & StyleMask::resizable) && zoomEnabled_;
    }
    return false;
}

void Window::setStandardButtonEnabled(WindowButton button, bool enabled)
{
    switch (button) {
    case WindowButton::close:
        closeEnabled_ = enabled;
        break;
    case WindowButton::miniaturize:
        miniaturizeEnabled_ = enabled;
        break;
    case WindowButton::zoom:
        zoomEnabled_ = enabled;
        break;
    }
    applyFlags();
}

bool Window::isStandardButtonHidden(WindowButton button) const
{
    switch (button) {
    case WindowButton::close:
        return !isClosable();
    case WindowButton::miniaturize:
        return !(styleMask_ & StyleMask::miniaturizable);
    case WindowButton::zoom:
        return !(styleMask_ & StyleMask::resizable);
    }
    return true;
}

void Window::applyFlags()
{
    if (!widget_)
        return;
    Qt::WindowFlags flags = isSheet() ? (Qt::Sheet | Qt::Dialog) : Qt::Window;
    flags |= Qt::CustomizeWindowHint;
    if (styleMask_ & StyleMask::titled)
        flags |= Qt::WindowTitleHint;
    else
        flags |= Qt::FramelessWindowHint;
    if (isStandardButtonEnabled(WindowButton::close))
        flags |= Qt::WindowCloseButtonHint;
    if (isStandardButtonEnabled(WindowButton::miniaturize))
        flags |= Qt::WindowMinimizeButtonHint;
    if (isStandardButtonEnabled(WindowButton::zoom))
        flags |= Qt::WindowMaximizeButtonHint;
    if (widget_->windowFlags() != flags) {
        const bool shown = widget_->isVisible();
        widget_->setWindowFlags(flags);
        if (shown)
            widget_->show();
    }
    if (styleMask_ & StyleMask::resizable) {
        widget_->setMinimumSize(minSize_.isValid() ? minSize_ : QSize(0, 0));
        widget_->setMaximumSize(maxSize_.isValid() ? maxSize_ : QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    } else {
        widget_->setFixedSize(widget_->size());
    }
}

void Window::setContentViewController(const std::shared_ptr<ViewController>& controller)
{
    if (contentViewController_ == controller)
        return;
    if (contentViewController_ && appeared_) {
        contentViewController_->notifyWillDisappear();
        contentViewController_->notifyDidDisappear();
    }
    contentViewController_ = controller;
    setContentView(controller ? controller->view() : nullptr);
    if (controller && appeared_) {
        controller->notifyWillAppear();
        controller->notifyDidAppear();
    }
}

void Window::setContentView(const ViewPtr& view)
{
    if (contentView_ == view)
        return;
    auto* box = static_cast<QVBoxLayout*>(contentHost_->layout());
    if (contentView_ && contentView_->widget()) {
        box->removeWidget(contentView_->widget());
        contentView_->widget()->hide();
        contentView_->widget()->setParent(nullptr);
    }
    contentView_ = view;
    if (view && view->widget()) {
        view->removeFromSuperview();
        box->addWidget(view->widget(), 1);
        view->widget()->show();
    }
}

QSize Window::contentSize() const
{
    if (!widget_)
        return {};
    int toolbarHeight = menuBarHeight(widget_);
    if (toolbar_ && toolbar_->isVisible())
        toolbarHeight += toolbar_->qtToolBar()->sizeHint().height();
    return {widget_->width(), widget_->height() - toolbarHeight};
}

void Window::setContentSize(QSize size)
{
    if (!widget_)
        return;
    int toolbarHeight = menuBarHeight(widget_);
    if (toolbar_ && toolbar_->isVisible())
        toolbarHeight += toolbar_->qtToolBar()->sizeHint().height();
    if (!(styleMask_ & StyleMask::resizable))
        widget_->setMinimumSize(0, 0), widget_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    widget_->resize(size.width(), size.height() + toolbarHeight);
    applyFlags();
}

void Window::setContentMinSize(QSize size)
{
    minSize_ = size;
    applyFlags();
}

void Window::setContentMaxSize(QSize size)
{
    maxSize_ = size;
    applyFlags();
}

QRect Window::frame() const
{
    return widget_ ? widget_->geometry() : QRect();
}

void Window::setFrame(QRect frame)
{
    if (!widget_)
        return;
    // The same measure frame() reads (without the title bar), so a saved
    // frame comes back where it was instead of creeping down by the frame.
    widget_->setGeometry(frame);
}

void Window::center()
{
    if (!widget_)
        return;
    QScreen* screen = widget_->screen() ? widget_->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect area = screen->availableGeometry();
    QRect geometry = widget_->frameGeometry();
    geometry.moveCenter(area.center());
    widget_->move(geometry.topLeft());
}

QPoint Window::cascadeTopLeftFromPoint(QPoint topLeft)
{
    if (!widget_)
        return topLeft;
    if (!topLeft.isNull())
        widget_->move(topLeft);
    return widget_->pos() + QPoint(kCascadeOffset, kCascadeOffset);
}

bool Window::setFrameAutosaveName(const std::string& name)
{
    const QString qname = QString::fromStdString(name);
    if (Window* other = autosaveNames().value(qname); other && other != this)
        return false;
    if (!autosaveName_.empty())
        autosaveNames().remove(QString::fromStdString(autosaveName_));
    autosaveName_ = name;
    if (name.empty())
        return true;
    autosaveNames().insert(qname, this);
    const auto stored = Foundation::UserDefaults::standard()->stringForKey(frameKey(name));
    const QStringList parts = QString::fromStdString(stored.value_or(std::string())).split(QLatin1Char(' '));
    if (parts.size() == 4) {
        bool ok[4];
        const QRect saved(parts[0].toInt(&ok[0]), parts[1].toInt(&ok[1]), parts[2].toInt(&ok[2]),
                          parts[3].toInt(&ok[3]));
        if (ok[0] && ok[1] && ok[2] && ok[3] && saved.width() > 0 && saved.height() > 0) {
            restoringFrame_ = true;
            setFrame(saved);
            restoringFrame_ = false;
        }
    }
    saveFrame();
    return true;
}

void Window::saveFrame()
{
    if (autosaveName_.empty() || restoringFrame_ || !widget_)
        return;
    const QRect f = frame();
    Foundation::UserDefaults::standard()->setValue(
        QStringLiteral("%1 %2 %3 %4").arg(f.x()).arg(f.y()).arg(f.width()).arg(f.height()), frameKey(autosaveName_));
}

void Window::bringToFront(bool makeKey)
{
    auto self = shared_from_this();
    auto& list = ordered();
    list.erase(std::remove(list.begin(), list.end(), self), list.end());
    list.insert(list.begin(), self);
    closed_ = false;
    if (tabGroup_ && !isSelectedTab()) {
        selectTab();
        return;
    }
    const bool wasShown = widget_->isVisible();
    widget_->show();
    widget_->raise();
    if (makeKey) {
        widget_->activateWindow();
        didActivate();
    }
    if (!wasShown)
        didShow();
}

void Window::makeKeyAndOrderFront()
{
    Dispatch::assertMainThread("Window::makeKeyAndOrderFront");
    bringToFront(true);
}

void Window::orderFront()
{
    bringToFront(false);
}

void Window::orderBack()
{
    auto self = shared_from_this();
    auto& list = ordered();
    list.erase(std::remove(list.begin(), list.end(), self), list.end());
    list.push_back(self);
    const bool wasShown = widget_->isVisible();
    widget_->show();
    widget_->lower();
    if (!wasShown)
        didShow();
}

void Window::orderOut()
{
    auto self = shared_from_this();
    if (widget_->isVisible()) {
        widget_->hide();
        didHide();
    }
    auto& list = ordered();
    list.erase(std::remove(list.begin(), list.end(), self), list.end());
}

bool Window::isVisible() const
{
    if (!widget_)
        return false;
    if (widget_->isVisible())
        return true;
    // A tab that is not selected still counts as on screen with its group.
    if (tabGroup_) {
        auto selected = tabGroup_->selected.lock();
        return selected && selected.get() != this && selected->widget_ && selected->widget_->isVisible();
    }
    return false;
}

bool Window::isKeyWindow() const
{
    return keyWindow().get() == this;
}

bool Window::isMiniaturized() const
{
    return widget_ && widget_->isMinimized();
}

bool Window::handleCloseRequest()
{
    if (closing_)
        return true;
    if (!isStandardButtonEnabled(WindowButton::close))
        return false;
    if (auto d = delegate(); d && !d->windowShouldClose(*this))
        return false;
    close();
    return true;
}

void Window::performClose()
{
    handleCloseRequest();
}

void Window::close()
{
    Dispatch::assertMainThread("Window::close");
    if (closed_ || closing_)
        return;
    auto self = shared_from_this();
    closing_ = true;
    if (auto parent = sheetParent()) {
        parent->endSheet(self, ModalResponseAbort);
        closing_ = false;
        return;
    }
    if (attachedSheet_)
        endSheet(attachedSheet_, ModalResponseAbort);
    if (auto d = delegate())
        d->windowWillClose(*this);
    if (tabGroup_) {
        auto group = tabGroup_;
        const bool wasSelected = isSelectedTab();
        const auto before = group->live();
        group->remove(this);
        tabGroup_.reset();
        updateTabBar();
        const auto rest = group->live();
        if (wasSelected && !rest.empty()) {
            auto it = std::find(before.begin(), before.end(), self);
            const size_t index = std::min<size_t>(it - before.begin(), rest.size() - 1);
            group->selected.reset();
            rest[index]->selectTab();
        }
        if (rest.size() == 1)
            rest.front()->tabGroup_.reset();
        group->refresh();
    }
    if (widget_->isVisible()) {
        widget_->hide();
        didHide();
    } else if (appeared_) {
        didHide();
    }
    closed_ = true;
    closing_ = false;
    auto& list = ordered();
    list.erase(std::remove(list.begin(), list.end(), self), list.end());
    if (key().lock() == self)
        key().reset();
}

void Window::didShow()
{
    if (appeared_)
        return;
    appeared_ = true;
    if (contentViewController_) {
        contentViewController_->notifyWillAppear();
        contentViewController_->notifyDidAppear();
    }
}

void Window::didHide()
{
    if (!appeared_)
        return;
    appeared_ = false;
    if (contentViewController_) {
        contentViewController_->notifyWillDisappear();
        contentViewController_->notifyDidDisappear();
    }
}

void Window::didActivate()
{
    auto self = shared_from_this();
    if (key().lock() == self)
        return;
    key() = self;
    if (auto d = delegate())
        d->windowDidBecomeKey(*this);
}

// Toolbar and first responder

void Window::setToolbar(const std::shared_ptr<Toolbar>& toolbar)
{
    if (toolbar_ == toolbar)
        return;
    if (toolbar_)
        widget_->removeToolBar(toolbar_->qtToolBar());
    toolbar_ = toolbar;
    if (toolbar_) {
        QToolBar* bar = toolbar_->qtToolBar();
        widget_->addToolBar(Qt::TopToolBarArea, bar);
        bar->setVisible(toolbar_->isVisible());
    }
}

ViewPtr Window::firstResponderView() const
{
    if (!widget_)
        return nullptr;
    QWidget* focus = widget_->focusWidget();
    return focus ? View::forWidget(focus) : nullptr;
}

bool Window::makeFirstResponder(const ViewPtr& view)
{
    if (!view || !view->widget() || view->widget()->window() != widget_)
        return false;
    view->widget()->setFocus(Qt::OtherFocusReason);
    return true;
}

} // namespace AppKit
