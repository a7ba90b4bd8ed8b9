#include "Platform/AppKit/RecentDocuments.h"
#include "tests/support/EventLoop.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QUrl>

using namespace AppKit;

namespace {

const char* kOtherList = R"(<?xml version="1.0" encoding="UTF-8"?>
<xbel version="1.0" xmlns:bookmark="http://www.freedesktop.org/standards/desktop-bookmarks" xmlns:mime="http://www.freedesktop.org/standards/shared-mime-info">
  <bookmark href="file:///home/someone/notes.txt" added="2020-01-01T10:00:00.000001Z" modified="2020-01-01T10:00:00.000001Z" visited="2020-01-01T10:00:00.000001Z">
    <info>
      <metadata owner="http://freedesktop.org">
        <mime:mime-type type="text/plain"/>
        <bookmark:applications>
          <bookmark:application name="gedit" exec="&apos;gedit %u&apos;" modified="2020-01-01T10:00:00Z" count="3"/>
        </bookmark:applications>
      </metadata>
    </info>
  </bookmark>
  <bookmark href="SHARED" added="2021-01-01T10:00:00Z" modified="2021-01-01T10:00:00Z" visited="2021-01-01T10:00:00Z">
    <info>
      <metadata owner="http://freedesktop.org">
        <mime:mime-type type="application/zip"/>
        <bookmark:applications>
          <bookmark:application name="org.gnome.FileRoller" exec="&apos;file-roller %u&apos;" modified="2021-01-01T10:00:00Z" count="1"/>
        </bookmark:applications>
      </metadata>
    </info>
  </bookmark>
</xbel>
)";

struct Application {
    QString name, exec;
    int count;
};

struct Bookmark {
    QString added, modified, mime;
    std::vector<Application> apps;
};

std::map<QString, Bookmark> parse(const QString& file)
{
    QFile f(file);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    QDomDocument doc;
    EXPECT_TRUE(doc.setContent(&f, true));
    std::map<QString, Bookmark> out;
    for (QDomElement b = doc.documentElement().firstChildElement("bookmark"); !b.isNull();
         b = b.nextSiblingElement("bookmark")) {
        Bookmark& entry = out[b.attribute("href")];
        entry.added = b.attribute("added");
        entry.modified = b.attribute("modified");
        auto mimes = b.elementsByTagNameNS("http://www.freedesktop.org/standards/shared-mime-info", "mime-type");
        entry.mime = mimes.isEmpty() ? QString() : mimes.at(0).toElement().attribute("type");
        auto apps = b.elementsByTagNameNS("http://www.freedesktop.org/standards/desktop-bookmarks", "application");
        for (int i = 0; i < apps.size(); ++i) {
            const QDomElement a = apps.at(i).toElement();
            entry.apps.push_back({a.attribute("name"), a.attribute("exec"), a.attribute("count").toInt()});
        }
    }
    return out;
}

struct RecentFixture : ::testing::Test {
    void SetUp() override
    {
        const QString dir = QString::fromStdString(TestSupport::scratchDirectory());
        archive = dir + "/My Archive #1.zip";
        other = dir + "/second.tar.gz";
        for (const QString& path : {archive, other}) {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("PK\x05\x06", 4);
        }
        href = QString::fromLatin1(QUrl::fromLocalFile(archive).toEncoded());
    }
    void TearDown() override { RecentDocuments::setStorePath({}); }
    void writeList(const QString& text)
    {
        QDir().mkpath(QFileInfo(QString::fromStdString(RecentDocuments::storePath())).absolutePath());
        QFile f(QString::fromStdString(RecentDocuments::storePath()));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.toUtf8());
    }
    QString archive, other, href;
};

} // namespace

TEST_F(RecentFixture, ListLivesUnderXdgDataHomeUnlessRedirected)
{
    EXPECT_EQ(RecentDocuments::storePath(), qEnvironmentVariable("XDG_DATA_HOME").toStdString() + "/recently-used.xbel");
    const std::string elsewhere = TestSupport::scratchDirectory() + "/list.xbel";
    RecentDocuments::setStorePath(elsewhere);
    ASSERT_TRUE(RecentDocuments::noteNewRecentDocument(archive.toStdString()));
    EXPECT_TRUE(QFile::exists(QString::fromStdString(elsewhere)));
    EXPECT_EQ(RecentDocuments::recentDocumentPaths(), std::vector<std::string>{archive.toStdString()});
}

TEST_F(RecentFixture, EntryWrittenReadBackAndOtherApplicationsKept)
{
    writeList(QString::fromUtf8(kOtherList).replace("SHARED", href));
    ASSERT_TRUE(RecentDocuments::noteNewRecentDocument(archive.toStdString()));
    ASSERT_TRUE(RecentDocuments::noteNewRecentDocument(other.toStdString()));
    ASSERT_TRUE(RecentDocuments::noteNewRecentDocument(archive.toStdString()));

    const auto list = parse(QString::fromStdString(RecentDocuments::storePath()));
    ASSERT_EQ(list.size(), 3u);
    ASSERT_TRUE(list.count("file:///home/someone/notes.txt"));
    const Bookmark& notes = list.at("file:///home/someone/notes.txt");
    ASSERT_EQ(notes.apps.size(), 1u);
    EXPECT_EQ(notes.apps[0].name, "gedit");
    EXPECT_EQ(notes.apps[0].count, 3);

    const Bookmark& shared = list.at(href);
    EXPECT_EQ(shared.added, "2021-01-01T10:00:00Z") << "first use is kept";
    EXPECT_GT(shared.modified, QString("2021"));
    ASSERT_EQ(shared.apps.size(), 2u);
    EXPECT_EQ(shared.apps[0].name, "org.gnome.FileRoller");
    EXPECT_EQ(shared.apps[1].name, "Kelvora");
    EXPECT_EQ(shared.apps[1].exec, "kelvora %u");
    EXPECT_EQ(shared.apps[1].count, 2);

    const QString otherHref = QString::fromLatin1(QUrl::fromLocalFile(other).toEncoded());
    ASSERT_TRUE(list.count(otherHref));
    EXPECT_EQ(list.at(otherHref).mime, "application/x-compressed-tar");
    EXPECT_EQ(list.at(otherHref).apps.size(), 1u);

    EXPECT_EQ(RecentDocuments::recentDocumentPaths(),
              (std::vector<std::string>{archive.toStdString(), other.toStdString(), "/home/someone/notes.txt"}));
}

TEST_F(RecentFixture, UnparsableListIsLeftAlone)
{
    writeList("<xbel version=\"1.0\"><bookmark href=\"file:///x\"");
    EXPECT_FALSE(RecentDocuments::noteNewRecentDocument(archive.toStdString()));
    QFile f(QString::fromStdString(RecentDocuments::storePath()));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("<xbel version=\"1.0\"><bookmark href=\"file:///x\""));
    EXPECT_TRUE(RecentDocuments::recentDocumentPaths().empty());
}
