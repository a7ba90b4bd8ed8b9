#include "Platform/AppKit/Workspace.h"
#include "Platform/StoreKit/StoreReviewController.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

using namespace AppKit;

namespace {

TEST(Workspace, RevealFallsBackToTheFolderWithoutAFileManager)
{
    for (bool answers : {true, false}) {
        std::vector<std::string> opened;
        std::vector<std::vector<std::string>> shown;
        Workspace::shared().setLauncher({
            [&](const std::string& url) { opened.push_back(url); return true; },
            [&](const std::vector<std::string>& urls) { shown.push_back(urls); return answers; },
        });
        const QString dir = QDir::tempPath() + "/a b";
        QDir().mkpath(dir);
        Workspace::shared().activateFileViewerSelectingURLs({(dir + "/x.zip").toStdString()});
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0], std::vector<std::string>{"file://" + QDir::tempPath().toStdString() + "/a%20b/x.zip"});
        if (answers)
            EXPECT_TRUE(opened.empty());
        else
            EXPECT_EQ(opened, std::vector<std::string>{"file://" + QDir::tempPath().toStdString() + "/a%20b"});
    }
    Workspace::shared().setLauncher({});
}

TEST(Workspace, OpenFileRefusesMissingFilesAndReviewIsCounted)
{
    std::vector<std::string> opened;
    Workspace::shared().setLauncher({[&](const std::string& url) { opened.push_back(url); return true; }, {}});
    const QString path = QDir::tempPath() + "/notes.txt";
    EXPECT_FALSE(Workspace::shared().openFile(path.toStdString()));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_TRUE(Workspace::shared().openFile(path.toStdString()));
    EXPECT_EQ(opened.size(), 1u);
    Workspace::shared().setLauncher({});

    EXPECT_EQ(StoreKit::SKStoreReviewController::requestCount(), 0);
    StoreKit::SKStoreReviewController::requestReview();
    EXPECT_EQ(StoreKit::SKStoreReviewController::requestCount(), 1);
}

} // namespace
