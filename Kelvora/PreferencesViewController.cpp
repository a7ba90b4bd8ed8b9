#include "Kelvora/PreferencesViewController.h"

#include "Kelvora/Strings.h"
#include "Platform/AppKit/Alert.h"
#include "Platform/Dispatch/Dispatch.h"
#include "Platform/Foundation/FileManager.h"
#include "Platform/Foundation/StringEncoding.h"
#include "Tiberly/SheetPresentation.h"
#include "Vantel/SharedSettings.h"
#include "Vantel/URLFolders.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

const std::vector<EncodingChoice>& PreferencesViewController::encodings()
{
    if (encodings_.empty()) {
        encodings_.push_back({localizedString("PREFERENCES_FALLBACK_ENCODING_NONE"), 0});
        for (auto encoding : Foundation::availableStringEncodings()) {
            if (encoding == 0)
                break;
            encodings_.push_back({Foundation::localizedNameOfStringEncoding(encoding), encoding});
        }
    }
    return encodings_;
}

QComboBox* PreferencesViewController::encodingPopUpButton()
{
    if (!encodingPopUpButton_) {
        auto* popUp = new QComboBox;
        const uint64_t stored = Vantel::SharedSettings().fallbackEncoding();
        int selected = 0;
        for (size_t i = 0; i < encodings().size(); ++i) {
            popUp->addItem(QString::fromStdString(encodings()[i].name));
            if (selected == 0 && encodings()[i].encoding == stored)
                selected = static_cast<int>(i);
        }
        popUp->setCurrentIndex(selected);
        popUp->setMaxVisibleItems(20);
        QObject::connect(popUp, &QComboBox::activated, popUp, [this](int) { fallbackEncodingChanged(); });
        encodingPopUpButton_ = popUp;
    }
    return encodingPopUpButton_;
}

QCheckBox* PreferencesViewController::multiVolumeOpenDirectlyCheckBox()
{
    if (!multiVolumeOpenDirectlyCheckBox_) {
        auto* box = new QCheckBox(
            QString::fromStdString(localizedString("PREFERENCES_MULTI_VOLUME_ARCHIVE_DO_NOT_ASK_FOR_REORDER")));
        box->setChecked(Vantel::SharedSettings().doNotAskForReorder());
        QObject::connect(box, &QCheckBox::clicked, box, [this](bool) { multiVolumeOpenDirectlyChanged(); });
        multiVolumeOpenDirectlyCheckBox_ = box;
    }
    return multiVolumeOpenDirectlyCheckBox_;
}

QPushButton* PreferencesViewController::clearCachesButton()
{
    if (!clearCachesButton_) {
        auto* button = new QPushButton(QString::fromStdString(localizedString("PREFERENCES_CLEAR_CACHE")));
        button->setAutoDefault(false);
        QObject::connect(button, &QPushButton::clicked, button, [this] { clearCache(); });
        clearCachesButton_ = button;
    }
    return clearCachesButton_;
}

void PreferencesViewController::loadView()
{
    auto container = AppKit::View::make();
    // Margins and spacing left to the style: the pane looks like the desktop's own.
    auto* grid = new QGridLayout(container->widget());
    auto label = [](const char* key) {
        return new QLabel(QString::fromStdString(localizedString(key)));
    };
    grid->addWidget(label("PREFERENCES_FALLBACK_ENCODING"), 0, 0, Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(encodingPopUpButton(), 0, 1);
    grid->addWidget(label("PREFERENCES_MULTI_VOLUME_ARCHIVE"), 1, 0, Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(multiVolumeOpenDirectlyCheckBox(), 1, 1);
    grid->setRowMinimumHeight(2, 12);
    grid->addWidget(clearCachesButton(), 3, 1, Qt::AlignLeft);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    setView(container);
}

void PreferencesViewController::fallbackEncodingChanged()
{
    const int index = encodingPopUpButton()->currentIndex();
    if (index >= 0 && index < static_cast<int>(encodings().size()))
        Vantel::SharedSettings().setFallbackEncoding(encodings()[static_cast<size_t>(index)].encoding);
}

void PreferencesViewController::multiVolumeOpenDirectlyChanged()
{
    Vantel::SharedSettings().setDoNotAskForReorder(multiVolumeOpenDirectlyCheckBox()->isChecked());
}

void PreferencesViewController::clearContents(const std::string& folder,
                                              std::function<void(Foundation::ErrorPtr)> completion)
{
    Dispatch::globalQueue()->async([folder, completion = std::move(completion)] {
        Foundation::ErrorPtr failure;
        bool isDirectory = false;
        if (Foundation::FileManager::fileExists(folder, &isDirectory) && isDirectory) {
            auto children = Foundation::FileManager::contentsOfDirectory(folder);
            if (!children.isSuccess()) {
                failure = children.error();
            } else {
                for (const auto& name : children.value()) {
                    failure = Foundation::FileManager::removeItem(Foundation::appendingPathComponent(folder, name));
                    if (failure)
                        break;
                }
            }
        }
        Dispatch::mainQueue()->async([failure, completion] { completion(failure); });
    });
}

void PreferencesViewController::clearCache()
{
    Dispatch::assertMainThread("PreferencesViewController::clearCache");
    auto window = this->window();
    if (!window)
        return;
    auto self = std::static_pointer_cast<PreferencesViewController>(shared_from_this());
    auto progress = AppKit::Alert::make();
    progress->alertStyle = AppKit::AlertStyle::informational;
    progress->messageText = localizedString("PREFERENCES_CLEAR_CACHE_IN_PROGRESS");
    Tiberly::showModalSheet(*this, progress, [](AppKit::ModalResponse) {});
    auto endProgress = [window, progress] { window->endSheet(progress->window()); };

    auto fail = [self, endProgress](const Foundation::ErrorPtr& error) {
        endProgress();
        Tiberly::showModalSheet(*self, AppKit::Alert::withError(error), [](AppKit::ModalResponse) {});
    };
    auto clearInbox = [endProgress, fail] {
        auto documents = Vantel::documents();
        if (!documents) {
            endProgress();
            return;
        }
        clearContents(documents->appendingPathComponent("Inbox", true).path(),
                      [endProgress, fail](Foundation::ErrorPtr error) {
                          if (error)
                              fail(error);
                          else
                              endProgress();
                      });
    };
    Dispatch::mainQueue()->async([fail, clearInbox] {
        // Only the item-replacement folder itself: the fallback of the
        // temporary-folder rule is the process's temporary folder, which
        // holds other programs' files.
        auto temporary = Foundation::FileManager::urlForDirectory(
            Foundation::FileManager::SearchPathDirectory::itemReplacementDirectory);
        if (!temporary.isSuccess()) {
            clearInbox();
            return;
        }
        clearContents(temporary.value().path(), [fail, clearInbox](Foundation::ErrorPtr error) {
            if (error)
                fail(error);
            else
                clearInbox();
        });
    });
}
