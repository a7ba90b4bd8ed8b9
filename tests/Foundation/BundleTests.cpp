#include "Platform/Foundation/Bundle.h"

#include <gtest/gtest.h>

#include <QFile>

using Foundation::Bundle;

TEST(Bundle, InformationDictionaryComesFromInfoJson)
{
    const auto& bundle = Bundle::main();
    EXPECT_EQ(&bundle, &Bundle::main());
    EXPECT_EQ(bundle.objectForInfoDictionaryKey("CFBundleDisplayName").toString(), "Kelvora Test");
    EXPECT_EQ(bundle.objectForInfoDictionaryKey("CFBundleVersion").toInt(), 7);
    const auto types = bundle.objectForInfoDictionaryKey("Types").toList();
    ASSERT_EQ(types.size(), 1);
    EXPECT_EQ(types.front().toMap().value("ext").toString(), "zip");
    EXPECT_FALSE(bundle.objectForInfoDictionaryKey("NoSuchKey").isValid());
}

TEST(Bundle, ResourcesAreFoundByNameAndExtension)
{
    const auto path = Bundle::main().pathForResource("Sample", "txt");
    ASSERT_TRUE(path);
    EXPECT_EQ(*path, ":/sub/Sample.txt");
    QFile file(QString::fromStdString(*path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "zip\n");
    EXPECT_FALSE(Bundle::main().pathForResource("Sample", "json"));
    EXPECT_FALSE(Bundle::main().pathForResource("TestStrings", "qm"));
    EXPECT_TRUE(Bundle::main().pathForResource("Info.json", ""));
}
