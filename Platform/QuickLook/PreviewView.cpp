#include "Platform/QuickLook/PreviewView.h"

#include "Platform/AppKit/Workspace.h"
#include "Platform/Dispatch/Dispatch.h"

#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QImageReader>
#include <QLabel>
#include <QLocale>
#include <QMimeDatabase>
#include <QPainter>
#include <QPlainTextEdit>
#include <QStackedLayout>
#include <QStringDecoder>
#include <QUrl>
#include <QVBoxLayout>

namespace QuickLook {

class ImageCanvas : public QWidget {
public:
    void setImage(QImage image)
    {
        image_ = std::move(image);
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (image_.isNull())
            return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        // Never enlarged: a small image stays crisp at its own size.
        QSize size = image_.size();
        if (size.width() > width() || size.height() > height())
            size = size.scaled(this->size(), Qt::KeepAspectRatio);
        const QRect target(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
        painter.drawImage(target, image_);
    }

private:
    QImage image_;
};

namespace {

// Decoding larger images costs memory for nothing the pane can show.
constexpr int kMaxImageSide = 4096;

QString localPath(const std::string& item)
{
    const QString text = QString::fromStdString(item);
    if (text.startsWith("file:"))
        return QUrl(text).toLocalFile();
    return text;
}

} // namespace

std::shared_ptr<QLPreviewView> QLPreviewView::make(QRect frame, PreviewViewStyle style)
{
    return std::make_shared<QLPreviewView>(frame, style);
}

QLPreviewView::QLPreviewView(QRect frame, PreviewViewStyle style)
    : style_(style)
{
    Dispatch::assertMainThread("QLPreviewView");
    pages_ = new QStackedLayout(widget());
    empty_ = new QWidget;
    canvas_ = new ImageCanvas;
    text_ = new QPlainTextEdit;
    text_->setReadOnly(true);
    text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    filePage_ = new QWidget;
    auto* column = new QVBoxLayout(filePage_);
    icon_ = new QLabel;
    icon_->setAlignment(Qt::AlignCenter);
    summary_ = new QLabel;
    summary_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    summary_->setWordWrap(true);
    column->addStretch();
    column->addWidget(icon_);
    column->addWidget(summary_);
    column->addStretch();
    for (QWidget* page : {empty_, static_cast<QWidget*>(canvas_), static_cast<QWidget*>(text_), filePage_})
        pages_->addWidget(page);
    if (!frame.isEmpty())
        widget()->setGeometry(frame);
    showNothing();
}

void QLPreviewView::setPreviewItem(std::optional<std::string> url)
{
    Dispatch::assertMainThread("QLPreviewView::setPreviewItem");
    item_ = std::move(url);
    canvas_->setImage({});
    text_->clear();
    if (!item_ || item_->empty()) {
        showNothing();
        return;
    }
    const QString path = localPath(*item_);
    const QFileInfo info(path);
    if (!info.exists()) {
        showNothing();
        return;
    }
    if (info.isFile() && (showImage(path) || showText(path)))
        return;
    showFile(path);
}

void QLPreviewView::showNothing()
{
    content_ = Content::none;
    pages_->setCurrentWidget(empty_);
}

bool QLPreviewView::showImage(const QString& path)
{
    QImageReader reader(path);
    if (!reader.canRead())
        return false;
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > kMaxImageSide || size.height() > kMaxImageSide))
        reader.setScaledSize(size.scaled(kMaxImageSide, kMaxImageSide, Qt::KeepAspectRatio));
    QImage image = reader.read();
    if (image.isNull())
        return false;
    canvas_->setImage(std::move(image));
    content_ = Content::image;
    pages_->setCurrentWidget(canvas_);
    return true;
}

bool QLPreviewView::showText(const QString& path)
{
    if (!QMimeDatabase().mimeTypeForFile(path).inherits("text/plain"))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.read(textLimit);
    // A stateful decoder leaves a character cut at the limit undecoded
    // instead of showing a replacement for it.
    QStringDecoder decoder(QStringDecoder::Utf8);
    text_->setPlainText(decoder.decode(bytes));
    content_ = Content::text;
    pages_->setCurrentWidget(text_);
    return true;
}

void QLPreviewView::showFile(const QString& path)
{
    const QFileInfo info(path);
    const QMimeType type = QMimeDatabase().mimeTypeForFile(info);
    const int side = style_ == PreviewViewStyle::compact ? 64 : 128;
    icon_->setPixmap(AppKit::Workspace::shared().iconForFile(path.toStdString()).pixmap(side, side));
    QStringList lines{info.fileName(), type.comment()};
    if (info.isFile())
        lines << QLocale().formattedDataSize(info.size());
    summary_->setText(lines.join('\n'));
    content_ = Content::file;
    pages_->setCurrentWidget(filePage_);
}

std::string QLPreviewView::displayedText() const
{
    return content_ == Content::text ? text_->toPlainText().toStdString() : std::string();
}

std::string QLPreviewView::displayedSummary() const
{
    return content_ == Content::file ? summary_->text().toStdString() : std::string();
}

} // namespace QuickLook
