#include "Tiberly/EncodingSelectionController.h"

#include "Platform/AppKit/ViewController.h"
#include "Platform/Foundation/StringEncodingDetection.h"
#include "Tiberly/KitStrings.h"

#include <QHBoxLayout>
#include <QLocale>
#include <QVBoxLayout>

#include <algorithm>

namespace Tiberly {

EncodingSelectionController::EncodingSelectionController(std::string windowNibName)
    : AppKit::WindowController(std::move(windowNibName))
{
}

const std::vector<Foundation::StringEncoding>& EncodingSelectionController::encodings()
{
    window();
    return encodings_;
}

std::shared_ptr<AppKit::PopUpButton> EncodingSelectionController::encodingPopUp()
{
    window();
    return popUp_;
}

std::shared_ptr<AppKit::TextField> EncodingSelectionController::previewLabel()
{
    window();
    return preview_;
}

std::shared_ptr<AppKit::Button> EncodingSelectionController::okButton()
{
    window();
    return ok_;
}

std::shared_ptr<AppKit::Button> EncodingSelectionController::cancelButton()
{
    window();
    return cancel_;
}

void EncodingSelectionController::loadWindow()
{
    std::weak_ptr<EncodingSelectionController> weak =
        std::static_pointer_cast<EncodingSelectionController>(shared_from_this());
    popUp_ = AppKit::PopUpButton::make([weak] {
        if (auto self = weak.lock())
            self->showPreview();
    });
    // Each entry shows what the name would read as; encodings that cannot
    // decode it stay listed but cannot be chosen.
    for (Foundation::StringEncoding encoding : Foundation::availableStringEncodings()) {
        if (encoding == 0)
            break;
        const auto decoded = Foundation::decodeString(sampleBytes_, encoding);
        encodings_.push_back(encoding);
        popUp_->addItemWithTitle(Foundation::localizedNameOfStringEncoding(encoding) + " — "
                                 + decoded.value_or("…"));
        popUp_->setItemEnabled(popUp_->numberOfItems() - 1, decoded.has_value());
    }
    const auto likely = Foundation::mostLikelyStringEncoding(
        sampleBytes_, encodings_, {QLocale().name().toStdString(), sampleFromZip_});
    const auto preselected = likely ? std::find(encodings_.begin(), encodings_.end(), *likely) : encodings_.end();
    if (preselected != encodings_.end()) {
        popUp_->selectItemAtIndex(static_cast<int>(preselected - encodings_.begin()));
    } else {
        for (int i = 0; i < popUp_->numberOfItems(); ++i) {
            if (popUp_->isItemEnabled(i)) {
                popUp_->selectItemAtIndex(i);
                break;
            }
        }
    }
    preview_ = AppKit::TextField::labelWithString({});
    ok_ = AppKit::Button::buttonWithTitle(kitString("KIT_OK"), [weak] {
        if (auto self = weak.lock())
            self->end(AppKit::ModalResponseOK);
    });
    cancel_ = AppKit::Button::buttonWithTitle(kitString("KIT_CANCEL"), [weak] {
        if (auto self = weak.lock())
            self->end(AppKit::ModalResponseCancel);
    });
    ok_->setKeyEquivalent("\r");
    cancel_->setKeyEquivalent("\x1b");

    auto content = AppKit::View::make();
    auto* column = new QVBoxLayout(content->widget());
    column->setContentsMargins(20, 16, 20, 16);
    column->addWidget(AppKit::TextField::wrappingLabelWithString(kitString("KIT_ENCODING_MESSAGE"))->widget());
    column->addWidget(popUp_->widget());
    column->addWidget(preview_->widget());
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(cancel_->widget());
    row->addWidget(ok_->widget());
    column->addLayout(row);

    auto controller = std::make_shared<AppKit::ViewController>();
    controller->setView(content);
    auto window = AppKit::Window::withContentViewController(controller);
    setWindow(window);
    showPreview();
}

void EncodingSelectionController::showPreview()
{
    const int index = popUp_->indexOfSelectedItem();
    std::optional<std::string> decoded;
    if (index >= 0 && index < static_cast<int>(encodings_.size()))
        decoded = Foundation::decodeString(sampleBytes_, encodings_[static_cast<size_t>(index)]);
    preview_->setStringValue(decoded.value_or(std::string()));
    ok_->setEnabled(decoded.has_value());
}

void EncodingSelectionController::end(AppKit::ModalResponse response)
{
    const int index = popUp_->indexOfSelectedItem();
    selected_.reset();
    if (response == AppKit::ModalResponseOK && index >= 0 && index < static_cast<int>(encodings_.size()))
        selected_ = encodings_[static_cast<size_t>(index)];
    auto window = this->window();
    if (auto host = window ? window->sheetParent() : nullptr)
        host->endSheet(window, response);
    else if (window)
        window->close();
}

} // namespace Tiberly
