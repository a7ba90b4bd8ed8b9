#include "Platform/AppKit/WindowWidget.h"

#include "Platform/AppKit/Window.h"

#include <QCloseEvent>
#include <QKeyEvent>

namespace AppKit {

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

void WindowWidget::keyPressEvent(QKeyEvent* event)
{
    if (owner_ && owner_->performKeyEquivalent(*event))
        event->accept();
    else
        QMainWindow::keyPressEvent(event);
}

} // namespace AppKit
