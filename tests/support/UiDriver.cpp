#include "tests/support/UiDriver.h"

#include "Platform/AppKit/Toolbar.h"
#include "tests/support/EventLoop.h"

#include <QMainWindow>
#include <QPushButton>

namespace TestSupport {

bool waitFor(const std::function<bool()>& predicate, std::chrono::milliseconds limit)
{
    return waitUntil(predicate, limit);
}

AppKit::WindowPtr waitForSheet(const AppKit::WindowPtr& window, std::chrono::milliseconds limit)
{
    if (!window)
        return nullptr;
    waitUntil([&] { return window->attachedSheet() && window->attachedSheet()->widget()->isVisible(); }, limit);
    return window->attachedSheet();
}

bool pressSheetButton(const AppKit::WindowPtr& window, int index)
{
    auto sheet = waitForSheet(window);
    if (!sheet)
        return false;
    const auto buttons = sheet->widget()->findChildren<QPushButton*>();
    for (QPushButton* button : buttons) {
        if (button->property("sheetButtonIndex").toInt() == index && button->property("sheetButtonIndex").isValid()) {
            if (!button->isEnabled())
                return false;
            button->click();
            return true;
        }
    }
    return false;
}

bool clickToolbarItem(const AppKit::WindowPtr& window, const std::string& identifier)
{
    auto toolbar = window ? window->toolbar() : nullptr;
    auto item = toolbar ? toolbar->itemWithIdentifier(identifier) : nullptr;
    if (!item || !item->isEnabled())
        return false;
    item->performClick();
    return true;
}

} // namespace TestSupport

#include <QLineEdit>

namespace TestSupport {

bool typeIntoSheet(const AppKit::WindowPtr& window, const std::string& text)
{
    auto sheet = waitForSheet(window);
    auto* field = sheet ? sheet->widget()->findChild<QLineEdit*>() : nullptr;
    if (!field)
        return false;
    field->setText(QString::fromStdString(text));
    return true;
}

} // namespace TestSupport

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace TestSupport {

namespace {

QFileDialog* waitForPanel(const AppKit::WindowPtr& window)
{
    QFileDialog* found = nullptr;
    waitUntil(
        [&] {
            const auto candidates = window ? window->widget()->findChildren<QFileDialog*>()
                                           : QList<QFileDialog*>();
            for (QFileDialog* dialog : candidates) {
                if (dialog->isVisible())
                    found = dialog;
            }
            if (!window) {
                for (QWidget* top : QApplication::topLevelWidgets()) {
                    if (auto* dialog = qobject_cast<QFileDialog*>(top); dialog && dialog->isVisible())
                        found = dialog;
                }
            }
            return found != nullptr;
        },
        std::chrono::seconds(10));
    return found;
}

} // namespace

bool acceptOpenPanel(const AppKit::WindowPtr& window, const std::vector<std::string>& paths)
{
    auto* dialog = waitForPanel(window);
    auto* field = dialog ? dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")) : nullptr;
    if (!field || paths.empty())
        return false;
    dialog->setDirectory(QFileInfo(QString::fromStdString(paths.front())).absolutePath());
    QString names;
    for (const auto& path : paths) {
        const QString name = QFileInfo(QString::fromStdString(path)).fileName();
        names += paths.size() == 1 ? name : QStringLiteral("\"%1\" ").arg(name);
    }
    field->setText(names.trimmed());
    QMetaObject::invokeMethod(dialog, "accept", Qt::DirectConnection);
    return true;
}

bool acceptSavePanel(const AppKit::WindowPtr& window, const std::string& path)
{
    auto* dialog = waitForPanel(window);
    auto* field = dialog ? dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")) : nullptr;
    if (!field)
        return false;
    const QFileInfo info(QString::fromStdString(path));
    dialog->setDirectory(info.absolutePath());
    field->setText(info.fileName());
    QMetaObject::invokeMethod(dialog, "accept", Qt::DirectConnection);
    return true;
}

bool cancelPanel(const AppKit::WindowPtr& window)
{
    auto* dialog = waitForPanel(window);
    if (!dialog)
        return false;
    dialog->reject();
    return true;
}

bool answerReplaceQuestion(const AppKit::WindowPtr& window, bool replace)
{
    QMessageBox* question = nullptr;
    auto* dialog = waitForPanel(window);
    if (!dialog)
        return false;
    waitUntil(
        [&] {
            question = dialog->findChild<QMessageBox*>(QStringLiteral("replaceQuestion"));
            return question && question->isVisible();
        },
        std::chrono::seconds(10));
    if (!question)
        return false;
    question->button(replace ? QMessageBox::Yes : QMessageBox::No)->click();
    return true;
}

} // namespace TestSupport
