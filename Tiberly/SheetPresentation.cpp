#include "Tiberly/SheetPresentation.h"

#include "Platform/Dispatch/Dispatch.h"

#include <QLineEdit>
#include <QMainWindow>
#include <QVBoxLayout>

#include <memory>

namespace Tiberly {

using namespace AppKit;

namespace {
// Wraps a completion so that it runs once.
template <class... Args>
std::function<void(Args...)> once(std::function<void(Args...)> f)
{
    auto slot = std::make_shared<std::function<void(Args...)>>(std::move(f));
    return [slot](Args... args) {
        auto call = std::move(*slot);
        *slot = nullptr;
        if (call)
            call(args...);
    };
}
} // namespace

void showModalSheet(ViewController& controller, const AlertPtr& alert,
                    std::function<void(ModalResponse)> completionHandler)
{
    Dispatch::assertMainThread("showModalSheet");
    alert->beginSheetModal(controller.window(), once(std::move(completionHandler)));
}

void showModalSheet(ViewController& controller, const WindowPtr& window,
                    std::function<void(ModalResponse)> completionHandler)
{
    Dispatch::assertMainThread("showModalSheet");
    auto completion = once(std::move(completionHandler));
    if (auto host = controller.window()) {
        host->beginSheet(window, completion);
        return;
    }
    window->makeKeyAndOrderFront();
}

void showTextInput(ViewController& controller, const std::string& messageText, const std::string& placeholder,
                   const std::string& okButtonTitle, const std::string& cancelButtonTitle, bool secure,
                   std::function<void(std::optional<std::string>)> completion)
{
    auto alert = Alert::make();
    alert->alertStyle = AlertStyle::informational;
    alert->messageText = messageText;
    alert->addButton(okButtonTitle);
    alert->addButton(cancelButtonTitle);
    alert->setCancelButtonIndex(1);
    auto sheet = alert->window();
    auto* field = new QLineEdit;
    field->setObjectName(QStringLiteral("textInput"));
    field->setPlaceholderText(QString::fromStdString(placeholder));
    if (secure)
        field->setEchoMode(QLineEdit::Password);
    auto* box = static_cast<QVBoxLayout*>(sheet->contentView()->widget()->layout());
    box->insertWidget(1, field);
    QPointer<QLineEdit> guard(field);
    auto done = once(std::move(completion));
    showModalSheet(controller, alert, [guard, done](ModalResponse response) {
        if (response == AlertFirstButtonReturn && guard)
            done(guard->text().toStdString());
        else
            done(std::nullopt);
    });
    field->setFocus();
}

} // namespace Tiberly
