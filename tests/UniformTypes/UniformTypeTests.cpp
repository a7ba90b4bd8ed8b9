#include "Platform/UniformTypes/UniformType.h"
#include "tests/support/EventLoop.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>

using UniformTypes::UTType;

namespace {

UTType type(const std::string& identifier)
{
    auto t = UTType::withIdentifier(identifier);
    EXPECT_TRUE(t) << identifier;
    return t.value_or(UTType::item());
}

} // namespace

TEST(UniformType, SystemTypesAndMIMETypesConformAlongTheirHierarchy)
{
    struct Case {
        const char* type;
        const char* to;
        bool conforms;
    };
    const Case cases[] = {
        {"public.item", "public.item", true},
        {"public.data", "public.item", true},
        {"public.folder", "public.item", true},
        {"public.directory", "public.item", true},
        {"public.folder", "public.directory", true},
        {"public.directory", "public.folder", false},
        {"public.folder", "public.data", false},
        {"public.data", "public.folder", false},
        {"public.item", "public.data", false},
        {"application/zip", "public.data", true},
        {"application/zip", "public.item", true},
        {"application/zip", "public.folder", false},
        {"application/x-compressed-tar", "application/gzip", true},
        {"application/gzip", "application/x-compressed-tar", false},
        {"text/plain", "application/zip", false},
        {"inode/directory", "public.directory", true},
        {"inode/directory", "public.data", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.type) + " -> " + c.to);
        EXPECT_EQ(type(c.type).conformsTo(type(c.to)), c.conforms);
    }
    EXPECT_EQ(UTType::withIdentifier("public.folder"), UTType::folder());
    EXPECT_EQ(UTType::withIdentifier("inode/directory"), UTType::folder());
    EXPECT_FALSE(UTType::withIdentifier("no/such-type"));
    EXPECT_FALSE(UTType::withIdentifier(""));
    EXPECT_EQ(UTType::folder().preferredMIMEType(), "inode/directory");
    EXPECT_EQ(UTType::data().preferredMIMEType(), "");
    EXPECT_EQ(type("application/zip").preferredMIMEType(), "application/zip");
}

TEST(UniformType, ContentTypeOfAFileURLComesFromWhatIsThere)
{
    const QDir root(QString::fromStdString(TestSupport::scratchDirectory()));
    ASSERT_TRUE(root.mkpath("Photos.zip"));
    QFile text(root.filePath("notes.txt"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("plain words\n");
    text.close();
    ASSERT_EQ(QProcess::execute("zip", {"-q", root.filePath("real.zip"), root.filePath("notes.txt")}), 0);

    auto of = [&](const QString& name) { return UTType::ofFileURL(QUrl::fromLocalFile(root.filePath(name))); };
    const auto folder = of("Photos.zip");
    ASSERT_TRUE(folder);
    EXPECT_EQ(*folder, UTType::folder()) << "a folder is a folder, whatever its name";
    EXPECT_TRUE(folder->conformsTo(UTType::directory()));
    EXPECT_FALSE(folder->conformsTo(UTType::data()));

    const auto zip = of("real.zip");
    ASSERT_TRUE(zip);
    EXPECT_EQ(zip->identifier(), "application/zip");
    EXPECT_TRUE(zip->conformsTo(UTType::data()));
    EXPECT_FALSE(zip->conformsTo(UTType::directory()));

    const auto plain = of("notes.txt");
    ASSERT_TRUE(plain);
    EXPECT_TRUE(plain->conformsTo(*UTType::withIdentifier("text/plain")));
    EXPECT_TRUE(plain->conformsTo(UTType::item()));

    EXPECT_FALSE(of("missing.zip")) << "nothing there: no type guessed from the name";
    EXPECT_FALSE(UTType::ofFileURL(QUrl("https://example.com/a.zip")));
    EXPECT_FALSE(UTType::ofFileURL(QUrl()));
}
