#pragma once
// A transient popover: a frameless window next to an anchor widget holding
// a view controller's view, closed by a click outside it. The UI layer
// declares popover presentation but does not provide it yet.

#include "Platform/AppKit/ViewController.h"

#include <QObject>
#include <QPointer>

class QWidget;

class Popover : public QObject {
public:
    Popover();
    ~Popover() override;

    void show(const AppKit::ViewControllerPtr& content, QWidget* anchor);
    void performClose();
    bool isShown() const;
    QWidget* window() const { return window_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> window_;
    AppKit::ViewControllerPtr content_;
};
