#include "tests/support/WidgetDriver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

namespace TestSupport {

bool doubleClickRow(AppKit::TableView& table, int row)
{
    if (row < 0 || row >= table.numberOfRowsShown())
        return false;
    QWidget* viewport = table.rowsViewport();
    const QPoint at = table.rectOfRow(row).center();
    const QPoint global = viewport->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, {});
    QApplication::sendEvent(viewport, &release);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, at, global, Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &dbl);
    QMouseEvent release2(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, {});
    QApplication::sendEvent(viewport, &release2);
    return true;
}

bool dropFiles(AppKit::View& view, const std::vector<std::string>& paths, std::optional<QPoint> at)
{
    QWidget* root = view.widget();
    if (!root)
        return false;
    const QPoint point = at.value_or(root->rect().center());
    QWidget* target = root->childAt(point);
    if (!target)
        target = root;
    // Qt delivers drags to the innermost widget that accepts drops.
    while (target != root && !target->acceptDrops())
        target = target->parentWidget();
    const QPoint local = target->mapFrom(root, point);
    QMimeData data;
    QList<QUrl> urls;
    for (const auto& path : paths)
        urls << QUrl::fromLocalFile(QString::fromStdString(path));
    data.setUrls(urls);
    QDragEnterEvent enter(local, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDragMoveEvent move(local, enter.possibleActions(), &data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &move);
    QDropEvent drop(local, enter.possibleActions(), &data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

bool clickPathItem(AppKit::PathControl& control, int index)
{
    auto* button = qobject_cast<QAbstractButton*>(control.itemWidget(index));
    if (!button)
        return false;
    button->click();
    return true;
}

bool clickOutside(AppKit::Popover& popover)
{
    QWidget* popup = popover.widget();
    if (!popup || !popup->isVisible())
        return false;
    const QPoint outside(-10, -10);
    QMouseEvent press(QEvent::MouseButtonPress, outside, popup->mapToGlobal(outside), Qt::LeftButton, Qt::LeftButton,
                      {});
    QApplication::sendEvent(popup, &press);
    return true;
}

bool pressEscape(AppKit::Popover& popover)
{
    QWidget* popup = popover.widget();
    if (!popup || !popup->isVisible())
        return false;
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(popup, &key);
    return true;
}

} // namespace TestSupport
