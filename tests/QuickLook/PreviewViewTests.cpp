#include "Platform/QuickLook/PreviewView.h"
#include "tests/support/EventLoop.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QUrl>

using namespace QuickLook;

namespace {

struct PreviewFixture : ::testing::Test {
    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = QString::fromStdString(TestSupport::scratchDirectory()) + "/" + name;
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    static std::string url(const QString& path) { return QUrl::fromLocalFile(path).toString().toStdString(); }
    QLPreviewViewPtr view = QLPreviewView::make({0, 0, 300, 200}, PreviewViewStyle::compact);
};

} // namespace

TEST_F(PreviewFixture, NoItemOrAMissingFileShowsNothing)
{
    EXPECT_EQ(view->content(), QLPreviewView::Content::none);
    view->setPreviewItem(url(write("a.txt", "hello")));
    ASSERT_EQ(view->content(), QLPreviewView::Content::text);
    view->setPreviewItem(std::nullopt);
    EXPECT_EQ(view->content(), QLPreviewView::Content::none);
    EXPECT_EQ(view->displayedText(), "");
    view->setPreviewItem(url("/nonexistent/file.txt"));
    EXPECT_EQ(view->content(), QLPreviewView::Content::none);
}

TEST_F(PreviewFixture, TextFileShowsItsFirstMegabyte)
{
    view->setPreviewItem(url(write("readme.txt", "line one\nzwei – drei\n")));
    ASSERT_EQ(view->content(), QLPreviewView::Content::text);
    EXPECT_EQ(view->displayedText(), "line one\nzwei – drei\n");

    // A two-byte character straddles the limit: it is dropped, not garbled.
    QByteArray big(QLPreviewView::textLimit - 1, 'x');
    big += "é and more after the limit";
    view->setPreviewItem(write("big.txt", big).toStdString());
    ASSERT_EQ(view->content(), QLPreviewView::Content::text);
    EXPECT_EQ(view->displayedText(), std::string(QLPreviewView::textLimit - 1, 'x'));
}

TEST_F(PreviewFixture, ImagesAndOtherFilesByKind)
{
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::red);
    const QString png = QString::fromStdString(TestSupport::scratchDirectory()) + "/picture.png";
    ASSERT_TRUE(image.save(png));
    view->setPreviewItem(url(png));
    EXPECT_EQ(view->content(), QLPreviewView::Content::image);

    // A damaged image falls back to the file's summary.
    view->setPreviewItem(url(write("broken.png", "\x89PNG\r\n\x1a\nnope")));
    EXPECT_EQ(view->content(), QLPreviewView::Content::file);

    view->setPreviewItem(url(write("data.bin", QByteArray(2048, '\0'))));
    ASSERT_EQ(view->content(), QLPreviewView::Content::file);
    const std::string summary = view->displayedSummary();
    EXPECT_EQ(summary.rfind("data.bin\n", 0), 0u) << summary;
    EXPECT_NE(summary.find("2"), std::string::npos) << summary;
}
