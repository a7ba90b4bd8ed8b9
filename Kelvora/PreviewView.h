#pragma once
// The browser's preview pane: a checkbox bar over a Quick Look view, with a
// spinner, a passphrase row and a failure label centred on the pane. It only
// shows; its delegate (the browser) decides what to preview. Subviews are
// made on first use. Main thread only.

#include "Kelvora/PreviewViewDelegate.h"
#include "Platform/AppKit/Controls.h"
#include "Platform/AppKit/View.h"
#include "Platform/QuickLook/PreviewView.h"

#include <QRect>
#include <QUrl>

#include <memory>
#include <optional>
#include <string>

class PreviewView : public AppKit::View {
    struct Token {};

public:
    // The pane with its subviews laid out (setupViews has run).
    static std::shared_ptr<PreviewView> make(QRect frame = {});
    PreviewView(Token, QRect frame);

    const QuickLook::QLPreviewViewPtr& previewView();
    const std::shared_ptr<AppKit::ProgressIndicator>& loadingIndicator();
    const std::shared_ptr<AppKit::TextField>& passwordTextField();
    const std::shared_ptr<AppKit::Button>& previewCheckbox();
    const std::shared_ptr<AppKit::TextField>& errorLabel();
    const std::shared_ptr<AppKit::View>& passwordInputContainer();

    const std::optional<QUrl>& previewURL() const { return previewURL_; }
    // Every write clears the failure and shows the file, or nothing.
    void setPreviewURL(std::optional<QUrl> url);
    const std::optional<std::string>& errorString() const { return errorString_; }
    // Shown by the next updateErrorState.
    void setErrorString(std::optional<std::string> text) { errorString_ = std::move(text); }

    std::weak_ptr<PreviewViewDelegate> delegate;

    void setupViews();
    void showLoading();
    void showPasswordInput();
    void confirmPassword();
    void previewStateChanged();
    void updateErrorState();

private:
    void previewURLDidChange();
    std::shared_ptr<AppKit::View> makePasswordInputContainer();
    void layoutSubviews();
    void layoutPasswordRow();

    QuickLook::QLPreviewViewPtr previewView_;
    std::shared_ptr<AppKit::ProgressIndicator> loadingIndicator_;
    std::shared_ptr<AppKit::TextField> passwordTextField_;
    std::shared_ptr<AppKit::Button> previewCheckbox_;
    std::shared_ptr<AppKit::TextField> errorLabel_;
    std::shared_ptr<AppKit::View> passwordInputContainer_;
    std::shared_ptr<AppKit::Button> passwordButton_;
    std::shared_ptr<AppKit::View> checkboxBar_;
    std::optional<QUrl> previewURL_;
    std::optional<std::string> errorString_;
};

using PreviewViewPtr = std::shared_ptr<PreviewView>;
