#pragma once
// The encoding question's sheet: a list of the encodings this machine
// decodes, with the undecodable name shown as the chosen one reads it. OK
// ends the sheet with response 1, Cancel with 0. (Stands in for the kit's
// encoding-selection controller, which is not there yet.)

#include "Platform/AppKit/Window.h"
#include "Platform/Foundation/StringEncoding.h"

#include <optional>
#include <string>

class QComboBox;
class QLabel;

class EncodingSheet {
public:
    explicit EncodingSheet(std::string rawName);

    AppKit::WindowPtr window() const { return window_; }
    // The encoding chosen in the list; none when the list has no choice.
    std::optional<Foundation::StringEncoding> selectedEncoding() const;
    bool selectEncoding(Foundation::StringEncoding encoding);
    void ok();
    void cancel();

private:
    void updatePreview();
    void end(AppKit::ModalResponse response);

    std::string rawName_;
    AppKit::WindowPtr window_;
    QComboBox* list_;
    QLabel* preview_;
};
