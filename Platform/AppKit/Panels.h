#pragma once
// Stand-ins for the platform's open and save panels, over Qt's own
// (non-native) file dialog: window-modal on a window, or on their own, and
// never blocking. The completion runs once on the main thread with
// ModalResponseOK or ModalResponseCancel; the chosen paths are read from
// the panel after OK. A save panel asks before replacing an existing file
// and reports OK only after the user agreed.
//
// Paths stand in for file URLs throughout. Main-thread only.

#include "Platform/AppKit/Window.h"

#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QFileDialog;

namespace AppKit {

class SavePanel : public std::enable_shared_from_this<SavePanel> {
public:
    static std::shared_ptr<SavePanel> savePanel();
    SavePanel() = default;
    virtual ~SavePanel() = default;

    const std::optional<std::string>& directoryURL() const { return directory_; }
    void setDirectoryURL(std::optional<std::string> folder) { directory_ = std::move(folder); }
    const std::string& nameFieldStringValue() const { return name_; }
    void setNameFieldStringValue(std::string name) { name_ = std::move(name); }
    void setTitle(std::string title) { title_ = std::move(title); }
    void setMessage(std::string message) { message_ = std::move(message); }
    void setPrompt(std::string prompt) { prompt_ = std::move(prompt); }
    void setCanCreateDirectories(bool value) { canCreateDirectories_ = value; }

    // The chosen path after OK.
    std::optional<std::string> url() const;

    void beginSheetModal(const WindowPtr& window, std::function<void(ModalResponse)> completion);
    // On its own, for no window.
    void begin(std::function<void(ModalResponse)> completion);
    bool isVisible() const;

protected:
    virtual bool isOpenPanel() const { return false; }
    virtual void configure(QFileDialog& dialog) const;
    std::vector<std::string> chosen_;

private:
    void run(QWidget* parent, std::function<void(ModalResponse)> completion);

    std::optional<std::string> directory_;
    std::string name_;
    std::string title_;
    std::string message_;
    std::string prompt_;
    bool canCreateDirectories_ = true;
    QPointer<QFileDialog> dialog_;
};

class OpenPanel : public SavePanel {
public:
    static std::shared_ptr<OpenPanel> openPanel();

    void setCanChooseFiles(bool value) { canChooseFiles_ = value; }
    void setCanChooseDirectories(bool value) { canChooseDirectories_ = value; }
    void setAllowsMultipleSelection(bool value) { allowsMultipleSelection_ = value; }
    bool canChooseFiles() const { return canChooseFiles_; }
    bool canChooseDirectories() const { return canChooseDirectories_; }
    bool allowsMultipleSelection() const { return allowsMultipleSelection_; }

    // The chosen paths after OK, in the panel's order.
    const std::vector<std::string>& urls() const { return chosen_; }

protected:
    bool isOpenPanel() const override { return true; }
    // Qt's dialog chooses either files or folders: folders win when both are
    // allowed and files are not.
    void configure(QFileDialog& dialog) const override;

private:
    bool canChooseFiles_ = true;
    bool canChooseDirectories_ = false;
    bool allowsMultipleSelection_ = false;
};

using SavePanelPtr = std::shared_ptr<SavePanel>;
using OpenPanelPtr = std::shared_ptr<OpenPanel>;

} // namespace AppKit
