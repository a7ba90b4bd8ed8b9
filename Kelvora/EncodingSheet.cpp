#include "Kelvora/EncodingSheet.h"

#include "Kelvora/Strings.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

EncodingSheet::EncodingSheet(std::string rawName) : rawName_(std::move(rawName))
{
    window_ = AppKit::Window::make({420, 140}, AppKit::StyleMask::titled);
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->addWidget(new QLabel(QString::fromStdString(localizedString("ENCODING_SELECTION_MESSAGE"))));
    list_ = new QComboBox;
    for (auto encoding : Foundation::availableStringEncodings()) {
        if (encoding == 0)
            break;
        const auto name = Foundation::localizedNameOfStringEncoding(encoding);
        if (!name.empty())
            list_->addItem(QString::fromStdString(name), QVariant::fromValue<qulonglong>(encoding));
    }
    layout->addWidget(list_);
    preview_ = new QLabel;
    preview_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(preview_);
    auto* buttons = new QDialogButtonBox;
    auto* okButton = buttons->addButton(QString::fromStdString(localizedString("COMMON_OK")), QDialogButtonBox::AcceptRole);
    auto* cancelButton =
        buttons->addButton(QString::fromStdString(localizedString("COMMON_CANCEL")), QDialogButtonBox::RejectRole);
    okButton->setDefault(true);
    layout->addWidget(buttons);
    QObject::connect(okButton, &QPushButton::clicked, content, [this] { ok(); });
    QObject::connect(cancelButton, &QPushButton::clicked, content, [this] { cancel(); });
    QObject::connect(list_, &QComboBox::currentIndexChanged, content, [this] { updatePreview(); });
    window_->setContentView(std::make_shared<AppKit::View>(content));
    updatePreview();
}

std::optional<Foundation::StringEncoding> EncodingSheet::selectedEncoding() const
{
    if (list_->currentIndex() < 0)
        return std::nullopt;
    return list_->currentData().toULongLong();
}

bool EncodingSheet::selectEncoding(Foundation::StringEncoding encoding)
{
    const int index = list_->findData(QVariant::fromValue<qulonglong>(encoding));
    if (index < 0)
        return false;
    list_->setCurrentIndex(index);
    return true;
}

void EncodingSheet::updatePreview()
{
    const auto encoding = selectedEncoding();
    const auto text = encoding ? Foundation::decodeString(rawName_, *encoding) : std::nullopt;
    preview_->setText(QString::fromStdString(text.value_or("—")));
}

void EncodingSheet::ok()
{
    end(AppKit::ModalResponseOK);
}

void EncodingSheet::cancel()
{
    end(AppKit::ModalResponseCancel);
}

void EncodingSheet::end(AppKit::ModalResponse response)
{
    if (auto host = window_->sheetParent())
        host->endSheet(window_, response);
}
