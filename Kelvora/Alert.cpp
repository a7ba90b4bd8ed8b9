#include "Kelvora/Alert.h"

#include "Kelvora/Strings.h"
#include "Platform/Dispatch/Dispatch.h"

#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>

std::shared_ptr<Alert> Alert::withError(const Foundation::ErrorPtr& error)
{
    auto alert = std::make_shared<Alert>();
    alert->alertStyle = AlertStyle::critical;
    alert->messageText = error->localizedDescription();
    alert->informativeText = error->stringForKey(Foundation::NSFilePathErrorKey);
    alert->addButton(localizedString("COMMON_OK"));
    return alert;
}

QMessageBox* Alert::build(QWidget* parent) const
{
    auto* box = new QMessageBox(parent);
    box->setText(QString::fromStdString(messageText));
    box->setInformativeText(QString::fromStdString(informativeText));
    switch (alertStyle) {
    case AlertStyle::critical:
        box->setIcon(QMessageBox::Critical);
        break;
    case AlertStyle::informational:
        box->setIcon(QMessageBox::Information);
        break;
    case AlertStyle::warning:
        box->setIcon(QMessageBox::Warning);
        break;
    }
    std::vector<std::string> titles = buttons_;
    // Without buttons the platform shows one default button.
    if (titles.empty())
        titles.push_back(localizedString("COMMON_OK"));
    for (size_t i = 0; i < titles.size(); ++i) {
        auto* button = box->addButton(QString::fromStdString(titles[i]), QMessageBox::AcceptRole);
        button->setProperty("alertResponse", static_cast<qlonglong>(AppKit::AlertFirstButtonReturn + i));
        if (i == 0)
            box->setDefaultButton(button);
    }
    return box;
}

namespace {
AppKit::ModalResponse responseOf(QMessageBox* box)
{
    auto* clicked = box->clickedButton();
    if (!clicked)
        return AppKit::ModalResponseStop;
    return static_cast<AppKit::ModalResponse>(clicked->property("alertResponse").toLongLong());
}
} // namespace

AppKit::ModalResponse Alert::runModal()
{
    Dispatch::assertMainThread("Alert::runModal");
    QMessageBox* box = build(nullptr);
    box->exec();
    const AppKit::ModalResponse response = responseOf(box);
    delete box;
    return response;
}

void Alert::beginSheetModal(AppKit::Window& window, std::function<void(AppKit::ModalResponse)> completion)
{
    Dispatch::assertMainThread("Alert::beginSheetModal");
    QMessageBox* box = build(window.widget());
    box->setWindowModality(Qt::WindowModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    sheet_ = box;
    auto done = std::make_shared<bool>(false);
    QObject::connect(box, &QMessageBox::finished, box, [box, completion, done](int) {
        if (*done)
            return;
        *done = true;
        if (completion)
            completion(responseOf(box));
    });
    box->open();
}

void Alert::endSheet()
{
    if (sheet_)
        sheet_->done(0);
}
