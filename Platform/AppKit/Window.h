#pragma once
// Stand-in for the platform's window over a QMainWindow: title, represented
// file, style mask, standard buttons, content size limits, frame autosave,
// ordering, delegate, tab groups, sheets and toolbar. State lives here and is
// mirrored onto the Qt window.
//
// Tabs: windows of one tab group stay separate Window objects (each with its
// own controller); the group shows one of them at a time, with a tab bar
// listing the group above its content.

#include "Platform/AppKit/Responder.h"
#include "Platform/AppKit/View.h"

#include <QPoint>
#include <QDialog>
#include <QPointer>
#include <QRect>
#include <QSize>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAbstractButton;
class QKeyEvent;
class QMainWindow;
class QTabBar;


namespace AppKit {

class ViewController;
class WindowController;
class Toolbar;
class Window;
class WindowWidget;
class TabGroup;

using WindowPtr = std::shared_ptr<Window>;

namespace StyleMask {
enum : unsigned {
    borderless = 0,
    titled = 1u << 0,
    closable = 1u << 1,
    miniaturizable = 1u << 2,
    resizable = 1u << 3,
    fullSizeContentView = 1u << 15,
};
}

enum class WindowButton { close, miniaturize, zoom };
enum class TitleVisibility { visible, hidden };
enum class WindowOrderingMode { above, below, out };

// Sheet responses.
using ModalResponse = long;
inline constexpr ModalResponse ModalResponseOK = 1;
inline constexpr ModalResponse ModalResponseCancel = 0;
inline constexpr ModalResponse ModalResponseStop = -1000;
inline constexpr ModalResponse ModalResponseAbort = -1001;
inline constexpr ModalResponse AlertFirstButtonReturn = 1000;

// Marks a button of a window's content as the one Return and keypad Enter
// press ("\r") or the one Escape presses ("\x1b"), as the platform's key
// equivalents; a button may carry both, and any other text clears them.
void setButtonKeyEquivalent(QAbstractButton* button, const std::string& keyEquivalent);

class WindowDelegate {
public:
    virtual ~WindowDelegate() = default;
    virtual bool windowShouldClose(Window&) { return true; }
    virtual void windowWillClose(Window&) {}
    virtual void windowDidBecomeKey(Window&) {}
};

class Window : public Responder, public std::enable_shared_from_this<Window> {
public:
    static WindowPtr make(QSize contentSize = {480, 320},
                          unsigned styleMask = StyleMask::titled | StyleMask::closable | StyleMask::miniaturizable
                              | StyleMask::resizable);
    static WindowPtr withContentViewController(const std::shared_ptr<ViewController>& controller);
    // A window that serves another (an alert's): never one of the
    // application's main windows.
    static WindowPtr makePanel(QSize contentSize, unsigned styleMask);
    ~Window() override;

    // The application's main windows carry the menu bar; panels and sheets
    // do not.
    bool carriesMenuBar() const { return !panel_ && !isSheet(); }

    // The Qt window (for the layer's own widgets and the test driver).
    QMainWindow* widget() const;
    static WindowPtr forWidget(QWidget* widget);
    // Every window shown and not closed since, front to back (a shown window
    // is kept alive by this list until it closes, as the platform's are).
    static std::vector<WindowPtr> orderedWindows();
    static WindowPtr keyWindow();

    std::string title() const { return title_; }
    void setTitle(std::string title);
    TitleVisibility titleVisibility() const { return titleVisibility_; }
    void setTitleVisibility(TitleVisibility visibility);
    // The file the window shows (its title when the title is empty).
    std::string representedFilename() const { return representedFilename_; }
    void setRepresentedFilename(std::string path);

    unsigned styleMask() const { return styleMask_; }
    void setStyleMask(unsigned mask);
    bool isClosable() const { return styleMask_ & StyleMask::closable; }

    // A standard button's enabled state; a button the style mask lacks is
    // disabled whatever is set.
    bool isStandardButtonEnabled(WindowButton button) const;
    void setStandardButtonEnabled(WindowButton button, bool enabled);
    bool isStandardButtonHidden(WindowButton button) const;

    std::shared_ptr<ViewController> contentViewController() const { return contentViewController_; }
    void setContentViewController(const std::shared_ptr<ViewController>& controller);
    ViewPtr contentView() const { return contentView_; }
    void setContentView(const ViewPtr& view);

    QSize contentSize() const;
    void setContentSize(QSize size);
    QSize contentMinSize() const { return minSize_; }
    void setContentMinSize(QSize size);
    QSize contentMaxSize() const { return maxSize_; }
    void setContentMaxSize(QSize size);
    QRect frame() const;
    void setFrame(QRect frame);
    void center();
    // Places the window's top-left at the point (when not null) and returns
    // the point where the next window's top-left goes.
    QPoint cascadeTopLeftFromPoint(QPoint topLeft);

    // Restores the frame saved under the name, and saves it on every move or
    // resize, in the standard defaults under "NSWindow Frame <name>" (as
    // "x y width height"). False when another window already uses the name.
    bool setFrameAutosaveName(const std::string& name);
    const std::string& frameAutosaveName() const { return autosaveName_; }

    void makeKeyAndOrderFront();
    void orderFront();
    void orderBack();
    void orderOut();
    bool isVisible() const;
    bool isKeyWindow() const;
    bool isMiniaturized() const;

    // As the close button: asks the delegate, refused when not closable.
    void performClose();
    // Closes without asking (the delegate still hears windowWillClose).
    void close();

    std::shared_ptr<WindowDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(const std::shared_ptr<WindowDelegate>& delegate) { delegate_ = delegate; }
    std::shared_ptr<WindowController> windowController() const { return windowController_.lock(); }

    // Tab groups.
    void addTabbedWindow(const WindowPtr& window, WindowOrderingMode ordered);
    std::vector<WindowPtr> tabbedWindows() const;
    void selectTab();
    bool isSelectedTab() const;
    // The tab bar's titles in order (empty when the window is in no group).
    std::vector<std::string> tabTitles() const;

    // Sheets: the completion runs once, after endSheet or when the sheet
    // closes another way.
    void beginSheet(const WindowPtr& sheet, std::function<void(ModalResponse)> completion);
    void endSheet(const WindowPtr& sheet, ModalResponse response = ModalResponseStop);
    WindowPtr attachedSheet() const { return attachedSheet_; }
    WindowPtr sheetParent() const { return sheetParent_.lock(); }
    bool isSheet() const { return !sheetParent_.expired(); }
    // Open and save panels shown for the window (non-native QFileDialogs).
    QDialog* attachedPanel() const { return attachedPanel_; }
    void setAttachedPanel(QDialog* panel) { attachedPanel_ = panel; }

    std::shared_ptr<Toolbar> toolbar() const { return toolbar_; }
    void setToolbar(const std::shared_ptr<Toolbar>& toolbar);

    // Keeps the window's own view of the first responder: the focused view.
    ViewPtr firstResponderView() const;
    bool makeFirstResponder(const ViewPtr& view);

private:
    friend class WindowWidget;
    friend class WindowController;
    friend class TabGroup;
    Window() = default;
    void build(QSize contentSize, unsigned styleMask);
    // Miniaturize, the toolbar's toggle, tab stepping and ordering front,
    // as the standard menu items send them.
    void registerStandardActions();
    void applyFlags();
    void refreshTitle();
    void saveFrame();
    // From the Qt window.
    bool handleCloseRequest();
    void didClose();
    void didShow();
    void didHide();
    void didActivate();
    void updateTabBar();
    void startSheet(const WindowPtr& sheet, std::function<void(ModalResponse)> completion);
    // Return, keypad Enter and Escape that no widget of the window took:
    // true when a marked button answered them.
    bool performKeyEquivalent(const QKeyEvent& event);
    void bringToFront(bool key);

    QPointer<WindowWidget> widget_;
    QWidget* contentHost_ = nullptr;
    QTabBar* tabBar_ = nullptr;
    std::string title_;
    TitleVisibility titleVisibility_ = TitleVisibility::visible;
    std::string representedFilename_;
    unsigned styleMask_ = 0;
    bool closeEnabled_ = true;
    bool miniaturizeEnabled_ = true;
    bool zoomEnabled_ = true;
    QSize minSize_;
    QSize maxSize_;
    std::string autosaveName_;
    bool panel_ = false;
    bool restoringFrame_ = false;
    bool closing_ = false;
    bool closed_ = false;
    bool appeared_ = false;
    std::shared_ptr<ViewController> contentViewController_;
    ViewPtr contentView_;
    std::weak_ptr<WindowDelegate> delegate_;
    std::weak_ptr<WindowController> windowController_;
    std::shared_ptr<TabGroup> tabGroup_;
    WindowPtr attachedSheet_;
    std::weak_ptr<Window> sheetParent_;
    std::function<void(ModalResponse)> sheetCompletion_;
    std::vector<std::pair<WindowPtr, std::function<void(ModalResponse)>>> pendingSheets_;
    QPointer<QDialog> attachedPanel_;
    std::shared_ptr<Toolbar> toolbar_;
};

} // namespace AppKit
