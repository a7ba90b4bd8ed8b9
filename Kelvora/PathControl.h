#pragma once
// The path bar: one flat button per item (title and icon), laid out in a
// row; a click sends the action with the clicked item. The UI layer has no
// path control yet.

#include <QIcon>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QHBoxLayout;
class QToolButton;

class PathControl : public QWidget {
    Q_OBJECT
public:
    struct Item {
        std::string title;
        QIcon image;
    };

    explicit PathControl(QWidget* parent = nullptr);

    const std::vector<Item>& pathItems() const { return items_; }
    void setPathItems(std::vector<Item> items);
    // The item of the last click, -1 outside a click.
    int clickedPathItem() const { return clicked_; }
    // Clicks the item's button, as the user does.
    void clickItem(int index);
    QToolButton* button(int index) const;

    std::function<void(PathControl&)> action;

private:
    std::vector<Item> items_;
    std::vector<QToolButton*> buttons_;
    QHBoxLayout* layout_;
    int clicked_ = -1;
};
