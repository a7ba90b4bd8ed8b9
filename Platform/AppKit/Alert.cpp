#include "Platform/AppKit/Alert.h"

#include "Platform/AppKit/Image.h"
#include "Platform/AppKit/ViewController.h"
#include "Platform/Dispatch/Dispatch.h"

#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QVBoxLayout>

namespace AppKit {

std::shared_ptr<Alert> Alert::withError(const Foundation::ErrorPtr& error)
{
    auto alert = make();
    alert->alertStyle = AlertStyle::critical;
    if (error) {
        alert->messageText = error->localizedDescription();
        // The file the error concerns, which the description may not name.
        alert->informativeText = error->stringForKey(Foundation::NSFilePathErrorKey);
    }
    return alert;
}

void Alert::addButton(const std::string& title)
{
    titles_.push_back(title);
}

size_t Alert::cancelButtonIndex() const
{
    if (cancelIndex_ && *cancelIndex_ < titles_.size())
        return *cancelIndex_;
    for (size_t i = 0; i < titles_.size(); ++i)
        if (QString::fromStdString(titles_[i]).compare(QLatin1String("Cancel"), Qt::CaseInsensitive) == 0)
            return i;
    return 0;
}

WindowPtr Alert::window()
{
    Dispatch::assertMainThread("Alert::window");
    if (window_)
        return window_;
    if (titles_.empty())
        titles_.push_back("OK");
    window_ = Window::makePanel({420, 140}, StyleMask::titled);
    auto* body = new QWidget;
    body->setObjectName(QStringLiteral("alert"));
    // The style, for whoever inspects the alert: the icon does not name it.
    body->setProperty("alertStyle", static_cast<int>(alertStyle));
    auto* box = new QVBoxLayout(body);
    auto* top = new QHBoxLayout;
    auto* icon = new QLabel;
    icon->setPixmap(Image::named(alertStyle == AlertStyle::critical ? "NSCaution" : "NSInfo").pixmap(48, 48));
    top->addWidget(icon, 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    auto* message = new QLabel(QString::fromStdString(messageText));
    message->setObjectName(QStringLiteral("messageText"));
    message->setWordWrap(true);
    QFont bold = message->font();
    bold.setBold(true);
    message->setFont(bold);
    texts->addWidget(message);
    if (!informativeText.empty()) {
        auto* info = new QLabel(QString::fromStdString(informativeText));
        info->setObjectName(QStringLiteral("informativeText"));
        info->setWordWrap(true);
        texts->addWidget(info);
    }
    top->addLayout(texts, 1);
    box->addLayout(top);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    // The first button is the default and sits rightmost, as the platform's.
    const size_t cancel = cancelButtonIndex();
    QPushButton* first = nullptr;
    for (size_t i = titles_.size(); i-- > 0;) {
        auto* button = new QPushButton(QString::fromStdString(titles_[i]));
        button->setProperty("sheetButtonIndex", static_cast<int>(i));
        if (i == 0)
            setButtonKeyEquivalent(first = button, "\r");
        if (i == cancel)
            setButtonKeyEquivalent(button, "\x1b");
        std::weak_ptr<Alert> weak = weak_from_this();
        QObject::connect(button, &QPushButton::clicked, button, [weak, i] {
            if (auto self = weak.lock())
                self->pressButton(i);
        });
        buttons->addWidget(button);
    }
    box->addLayout(buttons);
    window_->setContentView(std::make_shared<View>(body));
    first->setFocus();
    return window_;
}

void Alert::beginSheetModal(const WindowPtr& host, std::function<void(ModalResponse)> completion)
{
    auto sheet = window();
    finished_ = false;
    completion_ = std::move(completion);
    host_ = host;
    if (!host) {
        sheet->makeKeyAndOrderFront();
        return;
    }
    // The alert keeps itself alive until the sheet ends.
    auto self = shared_from_this();
    host->beginSheet(sheet, [self](ModalResponse response) { self->finish(response); });
}

void Alert::finish(ModalResponse response)
{
    if (finished_)
        return;
    finished_ = true;
    host_.reset();
    auto completion = std::move(completion_);
    completion_ = nullptr;
    if (completion)
        completion(response);
}

void Alert::pressButton(size_t index)
{
    if (index >= titles_.size() || finished_)
        return;
    const ModalResponse response = AlertFirstButtonReturn + static_cast<ModalResponse>(index);
    if (auto host = host_; host && window_ && window_->sheetParent() == host) {
        host->endSheet(window_, response);
        return;
    }
    if (window_)
        window_->orderOut();
    finish(response);
}

ModalResponse Alert::runModal()
{
    ModalResponse result = ModalResponseAbort;
    QEventLoop loop;
    auto sheet = window();
    finished_ = false;
    host_.reset();
    completion_ = [&](ModalResponse response) {
        result = response;
        loop.quit();
    };
    sheet->widget()->setWindowModality(Qt::ApplicationModal);
    sheet->makeKeyAndOrderFront();
    loop.exec();
    return result;
}

} // namespace AppKit
