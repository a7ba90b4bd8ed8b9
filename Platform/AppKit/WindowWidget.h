#pragma once
// The Qt window behind a Window: forwards close requests, activation, moves,
// resizes and the keys that answer its buttons to it. Internal to the layer.

#include <QMainWindow>

namespace AppKit {

class Window;

class WindowWidget : public QMainWindow {
    Q_OBJECT
public:
    explicit WindowWidget(Window* owner) : owner_(owner) {}
    void detach() { owner_ = nullptr; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    Window* owner_;
};

} // namespace AppKit
