#pragma once
// The preferences pane: the fallback encoding for undecodable entry names,
// opening multi-volume archives without the order question, and clearing
// the caches (the temporary folder and Documents/Inbox).

#include "Platform/AppKit/ViewController.h"
#include "Platform/Foundation/Error.h"

#include <QPointer>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QPushButton;

struct EncodingChoice {
    std::string name;
    uint64_t encoding;
};

class PreferencesViewController : public AppKit::ViewController {
public:
    PreferencesViewController() = default;

    const std::vector<EncodingChoice>& encodings();
    QComboBox* encodingPopUpButton();
    QPushButton* clearCachesButton();
    QCheckBox* multiVolumeOpenDirectlyCheckBox();

    void fallbackEncodingChanged();
    void multiVolumeOpenDirectlyChanged();
    void clearCache();

    // Deletes what the folder holds on a background thread, then calls the
    // completion on the main thread with null or the first failure.
    static void clearContents(const std::string& folder, std::function<void(Foundation::ErrorPtr)> completion);

protected:
    void loadView() override;

private:
    std::vector<EncodingChoice> encodings_;
    QPointer<QComboBox> encodingPopUpButton_;
    QPointer<QPushButton> clearCachesButton_;
    QPointer<QCheckBox> multiVolumeOpenDirectlyCheckBox_;
};
