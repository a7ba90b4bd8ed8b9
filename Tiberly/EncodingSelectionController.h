#pragma once
// Lets the user pick the encoding of a name that is not valid text: each
// available encoding is listed with the sample decoded in it, the most
// likely one (for the sample, the user's locale and the archive's kind)
// selected. The window ends its sheet with 1 (OK) or 0 (Cancel);
// selectedEncoding() is set only after OK.

#include "Platform/AppKit/Controls.h"
#include "Platform/AppKit/WindowController.h"
#include "Platform/Foundation/StringEncoding.h"

#include <optional>
#include <string>
#include <vector>

namespace Tiberly {

class EncodingSelectionController : public AppKit::WindowController {
public:
    // The nib name is "EncodingSelection".
    explicit EncodingSelectionController(std::string windowNibName = "EncodingSelection");

    // Set before the window loads.
    void setSampleBytes(std::string bytes) { sampleBytes_ = std::move(bytes); }
    const std::string& sampleBytes() const { return sampleBytes_; }
    // Set before the window loads when the name comes from a zip, whose
    // names without the UTF-8 flag are mostly in a DOS code page.
    void setSampleFromZip(bool fromZip) { sampleFromZip_ = fromZip; }

    std::optional<Foundation::StringEncoding> selectedEncoding() const { return selected_; }

    // The listed encodings, in pop-up order.
    const std::vector<Foundation::StringEncoding>& encodings();
    std::shared_ptr<AppKit::PopUpButton> encodingPopUp();
    std::shared_ptr<AppKit::TextField> previewLabel();
    std::shared_ptr<AppKit::Button> okButton();
    std::shared_ptr<AppKit::Button> cancelButton();

protected:
    void loadWindow() override;

private:
    void end(AppKit::ModalResponse response);
    void showPreview();

    std::string sampleBytes_;
    bool sampleFromZip_ = false;
    std::optional<Foundation::StringEncoding> selected_;
    std::vector<Foundation::StringEncoding> encodings_;
    std::shared_ptr<AppKit::PopUpButton> popUp_;
    std::shared_ptr<AppKit::TextField> preview_;
    std::shared_ptr<AppKit::Button> ok_;
    std::shared_ptr<AppKit::Button> cancel_;
};

} // namespace Tiberly
