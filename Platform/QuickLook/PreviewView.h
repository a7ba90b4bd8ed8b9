#pragma once
// Stand-in for the platform's Quick Look preview view: shows one item, a
// file URL (or a local path). Images are scaled to fit, text files show
// their first megabyte in a fixed-width font, anything else its large icon
// with its name, kind and size; no item shows nothing.

#include "Platform/AppKit/View.h"

#include <QRect>

#include <optional>
#include <string>

class QLabel;
class QPlainTextEdit;
class QStackedLayout;

namespace QuickLook {

enum class PreviewViewStyle { normal = 0, compact = 1 };

class ImageCanvas;

class QLPreviewView : public AppKit::View {
public:
    // What the view shows now.
    enum class Content { none, image, text, file };

    static std::shared_ptr<QLPreviewView> make(QRect frame = {}, PreviewViewStyle style = PreviewViewStyle::normal);
    QLPreviewView(QRect frame, PreviewViewStyle style);

    const std::optional<std::string>& previewItem() const { return item_; }
    void setPreviewItem(std::optional<std::string> url);

    PreviewViewStyle style() const { return style_; }
    Content content() const { return content_; }
    // The text shown for a text file (empty otherwise).
    std::string displayedText() const;
    // The name, kind and size lines shown for a file of another kind.
    std::string displayedSummary() const;

    static constexpr qint64 textLimit = 1024 * 1024;

private:
    void showNothing();
    bool showImage(const QString& path);
    bool showText(const QString& path);
    void showFile(const QString& path);

    std::optional<std::string> item_;
    PreviewViewStyle style_;
    Content content_ = Content::none;
    QStackedLayout* pages_ = nullptr;
    QWidget* empty_ = nullptr;
    ImageCanvas* canvas_ = nullptr;
    QPlainTextEdit* text_ = nullptr;
    QWidget* filePage_ = nullptr;
    QLabel* icon_ = nullptr;
    QLabel* summary_ = nullptr;
};

using QLPreviewViewPtr = std::shared_ptr<QLPreviewView>;

} // namespace QuickLook
