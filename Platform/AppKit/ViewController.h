#pragma once
// Stand-in for the platform's view controller: a lazily loaded view, the
// appear/disappear callbacks, child controllers, and presentation as a sheet
// or a popover.

#include "Platform/AppKit/Responder.h"
#include "Platform/AppKit/View.h"

#include <QRect>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace AppKit {

class Window;

enum class RectEdge { minX, minY, maxX, maxY };
enum class PopoverBehavior { applicationDefined, transient, semitransient };

class ViewController : public Responder, public std::enable_shared_from_this<ViewController> {
public:
    ViewController() = default;
    ~ViewController() override;

    // Loads the view on first use: loadView(), then viewDidLoad().
    ViewPtr view();
    bool isViewLoaded() const { return static_cast<bool>(view_); }
    void setView(ViewPtr view);

    // The window showing the view, or none.
    std::shared_ptr<Window> window() const;

    const std::string& title() const { return title_; }
    void setTitle(std::string title) { title_ = std::move(title); }

    QSize preferredContentSize() const { return preferredContentSize_; }
    void setPreferredContentSize(QSize size) { preferredContentSize_ = size; }

    void addChildViewController(const std::shared_ptr<ViewController>& child);
    void removeFromParentViewController();
    const std::vector<std::shared_ptr<ViewController>>& childViewControllers() const { return children_; }
    std::shared_ptr<ViewController> parentViewController() const { return parent_.lock(); }

    // Shows the controller's view in a sheet on this controller's window;
    // dismiss() (on either) ends it.
    void presentAsSheet(const std::shared_ptr<ViewController>& controller);
    // Shows the controller's view in a popover next to the rectangle of the
    // view (defined with the popover).
    void present(const std::shared_ptr<ViewController>& controller, QRect relativeToRect, const ViewPtr& ofView,
                 RectEdge preferredEdge, PopoverBehavior behavior);
    // Ends a presentation: of the given controller, or of this one when none.
    void dismissViewController(const std::shared_ptr<ViewController>& controller);
    void dismiss();
    std::shared_ptr<ViewController> presentingViewController() const { return presenting_.lock(); }
    const std::vector<std::shared_ptr<ViewController>>& presentedViewControllers() const { return presented_; }

    // Called by the window (or popover) showing the view, and passed on to
    // the children whose views are loaded.
    void notifyWillAppear();
    void notifyDidAppear();
    void notifyWillDisappear();
    void notifyDidDisappear();
    bool isAppeared() const { return appeared_; }

protected:
    virtual void loadView();
    virtual void viewDidLoad() {}
    virtual void viewWillAppear() {}
    virtual void viewDidAppear() {}
    virtual void viewWillDisappear() {}
    virtual void viewDidDisappear() {}

private:
    friend class Popover;
    // Bookkeeping for presenters defined elsewhere (popovers): end() takes
    // the presentation down when dismissed.
    void addPresented(const std::shared_ptr<ViewController>& controller, std::function<void()> end);
    void removePresented(const std::shared_ptr<ViewController>& controller);

    ViewPtr view_;
    bool loading_ = false;
    bool appeared_ = false;
    std::string title_;
    QSize preferredContentSize_;
    std::weak_ptr<ViewController> parent_;
    std::vector<std::shared_ptr<ViewController>> children_;
    std::weak_ptr<ViewController> presenting_;
    std::vector<std::shared_ptr<ViewController>> presented_;
    std::vector<std::function<void()>> presentedEnds_;
    std::shared_ptr<Window> sheetWindow_;
};

using ViewControllerPtr = std::shared_ptr<ViewController>;

} // namespace AppKit
