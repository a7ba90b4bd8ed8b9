#include "Platform/AppKit/Window.h"

#include "Platform/AppKit/Menu.h"
#include "Platform/AppKit/Toolbar.h"
#include "Platform/AppKit/ViewController.h"
#include "Platform/AppKit/WindowWidget.h"
#include "Platform/Dispatch/Dispatch.h"
#include "Platform/Foundation/UserDefaults.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QFileInfo>
#include <QHash>
#include <QScreen>
#include <QTabBar>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

namespace AppKit {

// The windows of one tab group, in tab order; one of them is shown.
class TabGroup {
public:
    std::vector<std::weak_ptr<Window>> windows;
    std::weak_ptr<Window> selected;

    std::vector<WindowPtr> live() const
    {
        std::vector<WindowPtr> out;
        for (const auto& w : windows)
            if (auto p = w.lock())
                out.push_back(p);
        return out;
    }
    void remove(const Window* window)
    {
        windows.erase(std::remove_if(windows.begin(), windows.end(),
                                     [&](const std::weak_ptr<Window>& w) {
                                         auto p = w.lock();
                                         return !p || p.get() == window;
                                     }),
                      windows.end());
    }
    void refresh()
    {
        for (const auto& w : live())
            w->updateTabBar();
    }
};

namespace {
// Front to back; a shown window stays in this list (and alive) until closed.
// Never destroyed: windows still open at exit must not outlive the QApplication
// in a static destructor.
std::vector<WindowPtr>& ordered()
{
    static auto* list = new std::vector<WindowPtr>;
    return *list;
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

void WindowWidget::closeEvent(QCloseEvent* event)
{
    if (owner_ && !owner_->handleCloseRequest())
        event->ignore();
    else
        event->accept();
}

void WindowWidget::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (owner_ && event->type() == QEvent::ActivationChange && isActiveWindow())
        owner_->didActivate();
}

void WindowWidget::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    if (owner_)
        owner_->saveFrame();
}

void WindowWidget::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    if (owner_)
        owner_->saveFrame();
}

WindowPtr Window::make(QSize contentSize, unsigned styleMask)
{
    Dispatch::assertMainThread("Window::make");
    WindowPtr window(new Window);
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

// Tabs

void Window::addTabbedWindow(const WindowPtr& window, WindowOrderingMode ordered)
{
    if (!window || window.get() == this || ordered == WindowOrderingMode::out)
        return;
    if (window->tabGroup_) {
        window->tabGroup_->remove(window.get());
        window->tabGroup_->refresh();
    }
    if (!tabGroup_) {
        tabGroup_ = std::make_shared<TabGroup>();
        tabGroup_->windows.push_back(weak_from_this());
        tabGroup_->selected = weak_from_this();
    }
    auto& list = tabGroup_->windows;
    auto it = std::find_if(list.begin(), list.end(), [&](const std::weak_ptr<Window>& w) { return w.lock().get() == this; });
    if (ordered == WindowOrderingMode::above)
        ++it;
    list.insert(it, window);
    window->tabGroup_ = tabGroup_;
    window->setFrame(frame());
    if (ordered == WindowOrderingMode::above && isVisible())
        window->makeKeyAndOrderFront();
    else
        window->widget_->hide();
    tabGroup_->refresh();
}

std::vector<WindowPtr> Window::tabbedWindows() const
{
    if (!tabGroup_)
        return {};
    return tabGroup_->live();
}

bool Window::isSelectedTab() const
{
    return !tabGroup_ || tabGroup_->selected.lock().get() == this;
}

void Window::selectTab()
{
    if (!tabGroup_) {
        makeKeyAndOrderFront();
        return;
    }
    auto previous = tabGroup_->selected.lock();
    tabGroup_->selected = weak_from_this();
    if (previous && previous.get() != this && previous->widget_) {
        setFrame(previous->frame());
        previous->widget_->hide();
    }
    auto self = shared_from_this();
    auto& list = AppKit::ordered();
    list.erase(std::remove(list.begin(), list.end(), self), list.end());
    list.insert(list.begin(), self);
    closed_ = false;
    const bool wasShown = appeared_;
    widget_->show();
    widget_->raise();
    widget_->activateWindow();
    didActivate();
    if (!wasShown)
        didShow();
    tabGroup_->refresh();
}

std::vector<std::string> Window::tabTitles() const
{
    std::vector<std::string> titles;
    for (const auto& w : tabbedWindows())
        titles.push_back(w->widget_->windowTitle().trimmed().isEmpty() ? w->title_
                                                                       : w->widget_->windowTitle().toStdString());
    return titles;
}

void Window::updateTabBar()
{
    if (!tabBar_)
        return;
    const auto windows = tabbedWindows();
    QSignalBlocker block(tabBar_);
    while (tabBar_->count() > 0)
        tabBar_->removeTab(0);
    for (size_t i = 0; i < windows.size(); ++i) {
        const auto& w = windows[i];
        tabBar_->addTab(QString::fromStdString(w->title_.empty() ? w->widget_->windowTitle().toStdString() : w->title_));
        if (w.get() == this)
            tabBar_->setCurrentIndex(static_cast<int>(i));
    }
    tabBar_->setVisible(windows.size() > 1);
}

// Sheets

void Window::beginSheet(const WindowPtr& sheet, std::function<void(ModalResponse)> completion)
{
    Dispatch::assertMainThread("Window::beginSheet");
    if (!sheet || sheet.get() == this)
        return;
    if (attachedSheet_) {
        pendingSheets_.emplace_back(sheet, std::move(completion));
        return;
    }
    startSheet(sheet, std::move(completion));
}

void Window::startSheet(const WindowPtr& sheet, std::function<void(ModalResponse)> completion)
{
    attachedSheet_ = sheet;
    sheetCompletion_ = std::move(completion);
    sheet->sheetParent_ = weak_from_this();
    sheet->widget_->setParent(widget_);
    sheet->widget_->setWindowModality(Qt::WindowModal);
    sheet->applyFlags();
    sheet->closed_ = false;
    QRect geometry = sheet->widget_->frameGeometry();
    geometry.moveCenter(widget_->frameGeometry().center());
    geometry.moveTop(widget_->geometry().top());
    sheet->widget_->move(geometry.topLeft());
    sheet->widget_->show();
    sheet->widget_->raise();
    sheet->widget_->activateWindow();
    sheet->didShow();
}

void Window::endSheet(const WindowPtr& sheet, ModalResponse response)
{
    Dispatch::assertMainThread("Window::endSheet");
    if (!sheet)
        return;
    if (sheet != attachedSheet_) {
        // A queued sheet that never showed still answers once.
        auto it = std::find_if(pendingSheets_.begin(), pendingSheets_.end(),
                               [&](const auto& entry) { return entry.first == sheet; });
        if (it != pendingSheets_.end()) {
            auto completion = std::move(it->second);
            pendingSheets_.erase(it);
            if (completion)
                completion(response);
        }
        return;
    }
    auto self = shared_from_this();
    auto keep = attachedSheet_;
    auto completion = std::move(sheetCompletion_);
    sheetCompletion_ = nullptr;
    attachedSheet_.reset();
    if (keep->widget_) {
        keep->widget_->hide();
        keep->widget_->setWindowModality(Qt::NonModal);
        keep->widget_->setParent(nullptr);
    }
    keep->sheetParent_.reset();
    keep->applyFlags();
    keep->didHide();
    if (widget_ && widget_->isVisible())
        widget_->activateWindow();
    if (completion)
        completion(response);
    if (!attachedSheet_ && !pendingSheets_.empty()) {
        auto next = std::move(pendingSheets_.front());
        pendingSheets_.erase(pendingSheets_.begin());
        startSheet(next.first, std::move(next.second));
    }
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
