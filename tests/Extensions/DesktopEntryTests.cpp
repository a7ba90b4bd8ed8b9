// The menu entries the file managers read, as the build installs them.

#include "tests/Extensions/ExtensionTestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

namespace {

using namespace ExtensionTests;

// The keys of the file's [Desktop Entry] group.
std::map<std::string, std::string> desktopEntry(const std::string& path)
{
    std::map<std::string, std::string> keys;
    std::istringstream lines(readFile(path));
    bool inEntry = false;
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.front() == '[')
            inEntry = line == "[Desktop Entry]";
        else if (const auto equals = line.find('='); inEntry && equals != std::string::npos)
            keys[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return keys;
}

// Installs one program's folder of the build under a fresh prefix.
std::string install(const std::string& program)
{
    const std::string prefix = makeFolder("install-" + program);
    EXPECT_TRUE(run("cmake -DCMAKE_INSTALL_PREFIX=" + quoted(prefix) + " -P "
                    + quoted(std::string(KELVORA_BUILD_DIR) + "/" + program + "/cmake_install.cmake")));
    return prefix + "/share";
}

TEST(DesktopEntries, ThunarOffersMakingAnArchiveOfAnyItemAndExtractingOnlyArchives)
{
    // Thunar lists a send-to entry for a file only when the file's type is
    // one its MimeType names exactly; an entry without the key is offered
    // for every file and folder.
    struct Case {
        std::string program;
        std::string file;
        bool anyItem;
    };
    for (const Case& c : {Case{"Tollbeck", "Thunar/sendto/tollbeck.desktop", true},
                          Case{"Sellwick", "Thunar/sendto/sellwick.desktop", false}}) {
        SCOPED_TRACE(c.file);
        const std::string path = install(c.program) + "/" + c.file;
        ASSERT_TRUE(run("desktop-file-validate " + quoted(path))) << output("desktop-file-validate " + quoted(path));
        const auto entry = desktopEntry(path);
        EXPECT_EQ(entry.at("Type"), "Application");
        EXPECT_NE(entry.at("Exec").find(" %F"), std::string::npos);
        if (c.anyItem) {
            EXPECT_EQ(entry.count("MimeType"), 0u);
        } else {
            ASSERT_EQ(entry.count("MimeType"), 1u);
            EXPECT_NE(entry.at("MimeType").find("application/zip;"), std::string::npos);
            EXPECT_EQ(entry.at("MimeType").find("inode/directory"), std::string::npos);
        }
    }
}

TEST(DesktopEntries, OpenWithListsMakingAnArchiveForFilesAndFolders)
{
    // The application menus' "Open With" goes by type, with every file type
    // a kind of application/octet-stream.
    const auto entry = desktopEntry(install("Tollbeck") + "/applications/tollbeck.desktop");
    ASSERT_EQ(entry.count("MimeType"), 1u);
    EXPECT_EQ(entry.at("MimeType"), "application/octet-stream;inode/directory;");
    EXPECT_EQ(entry.at("NoDisplay"), "true");
}

} // namespace
