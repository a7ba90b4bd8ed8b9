#include "Kelvora/DocumentTypes.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>

#include <fstream>
#include <set>
#include <sstream>

namespace {

TEST(DocumentTypes, ExtensionsJoinInOrderAndSkipStarAndMalformedEntries)
{
    const auto info = QJsonDocument::fromJson(R"({"CFBundleDocumentTypes": [
        {"CFBundleTypeExtensions": ["zip", "ZIPX"]},
        {"CFBundleTypeExtensions": ["*"]},
        {"CFBundleTypeExtensions": "tar"},
        {"CFBundleTypeName": "no extensions"},
        {"CFBundleTypeExtensions": ["7z", "zip"]}]})").object();
    EXPECT_EQ(documentTypeExtensions(info), (std::vector<std::string>{"zip", "ZIPX", "7z", "zip"}));
    EXPECT_TRUE(documentTypeExtensions(QJsonObject{}).empty());
    EXPECT_TRUE(documentTypeExtensions(QJsonDocument::fromJson(R"({"CFBundleDocumentTypes": {}})").object()).empty());
}

TEST(DocumentTypes, BundleDeclaresEveryFormatTheEngineReadsAndTheDesktopFileListsTheirTypes)
{
    const auto extensions = documentTypeExtensions();
    const std::set<std::string> declared(extensions.begin(), extensions.end());
    for (const char* expected : {"zip", "7z", "rar", "tar", "tgz", "tar.gz", "tar.bz2", "tar.xz", "tar.zst", "gz",
                                 "bz2", "xz", "lzma", "zst", "lz4", "Z", "cpio", "iso", "xar", "cab", "lha", "deb",
                                 "rpm"})
        EXPECT_TRUE(declared.count(expected)) << expected;
    EXPECT_FALSE(declared.count("*"));

    std::ifstream desktop(KELVORA_DESKTOP_FILE);
    ASSERT_TRUE(desktop.good());
    std::stringstream text;
    text << desktop.rdbuf();
    std::string mimeLine;
    for (std::string line; std::getline(text, line);)
        if (line.rfind("MimeType=", 0) == 0)
            mimeLine = line.substr(9);
    std::set<std::string> listed;
    std::stringstream list(mimeLine);
    for (std::string type; std::getline(list, type, ';');)
        listed.insert(type);
    for (const QJsonValue& type : mainBundleInfoDictionary().value("CFBundleDocumentTypes").toArray()) {
        const QJsonArray mimeTypes = type.toObject().value("CFBundleTypeMIMETypes").toArray();
        EXPECT_FALSE(mimeTypes.isEmpty()) << type.toObject().value("CFBundleTypeName").toString().toStdString();
        for (const QJsonValue& mime : mimeTypes)
            EXPECT_TRUE(listed.count(mime.toString().toStdString())) << mime.toString().toStdString();
    }
    EXPECT_TRUE(listed.count("application/zip"));
    EXPECT_TRUE(listed.count("application/x-7z-compressed"));
}

} // namespace
