#pragma once
// What the preview pane tells its owner: a passphrase was entered in its
// row, or its checkbox was turned on or off. Main thread only.

#include <string>

class PreviewView;

class PreviewViewDelegate {
public:
    virtual ~PreviewViewDelegate() = default;
    virtual void previewViewDidEnterPassword(PreviewView& view, const std::string& password) = 0;
    // on: the checkbox is now on.
    virtual void previewViewDidChangePreviewState(PreviewView& view, bool on) = 0;
};
