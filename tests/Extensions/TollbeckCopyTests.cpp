// Tollbeck archives copies of the shared items: the archive must record the
// originals' dates and modes, not when the job ran.

#include "Platform/Foundation/UserDefaults.h"
#include "Tiberly/ArchiveSettingViewController.h"
#include "Tollbeck/ActionViewController.h"
#include "tests/Extensions/ExtensionTestSupport.h"
#include "tests/support/UiDriver.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

#include <filesystem>
#include <sstream>

namespace {

using namespace ExtensionTests;
namespace fs = std::filesystem;

using TollbeckRequest = Request<Tollbeck::ActionViewController>;

// Stores the format, with reveal and delete-originals off, through the
// settings view, and puts the earlier stored values back afterwards.
class ArchiveSettingsScope {
public:
    explicit ArchiveSettingsScope(int preset)
    {
        for (const char* key : keys)
            saved_.push_back(suite()->objectForKey(key));
        auto settings = std::make_shared<Tiberly::ArchiveSettingViewController>();
        settings->formatPopUp()->performSelectItemAtIndex(preset);
        for (const auto& box : {settings->revealCheckbox(), settings->deleteOriginalsCheckbox()})
            if (box->state() == AppKit::ControlStateValueOn)
                box->performClick();
    }
    ~ArchiveSettingsScope()
    {
        for (size_t i = 0; i < saved_.size(); ++i)
            suite()->setValue(saved_[i], keys[i]);
    }
    ArchiveSettingsScope(const ArchiveSettingsScope&) = delete;
    ArchiveSettingsScope& operator=(const ArchiveSettingsScope&) = delete;

private:
    static constexpr const char* keys[] = {"TiberlyArchivePreset", "TiberlyArchiveRevealAfterCreation",
                                           "TiberlyArchiveDeleteOriginals"};
    static std::shared_ptr<Foundation::UserDefaults> suite()
    {
        return Foundation::UserDefaults::suite(Foundation::kApplicationGroupIdentifier);
    }
    std::vector<QVariant> saved_;
};

// The listing line that ends with the entry's name.
std::string lineOf(const std::string& listing, const std::string& name)
{
    std::istringstream lines(listing);
    for (std::string line; std::getline(lines, line);)
        if (line.size() > name.size() && line.compare(line.size() - name.size(), name.size(), name) == 0
            && line[line.size() - name.size() - 1] == ' ')
            return line;
    return {};
}

TEST(TollbeckCopies, ArchiveEntriesKeepTheOriginalsTimesAndModes)
{
    struct Entry {
        std::string name;  // in the archive
        fs::perms perms;
        std::string mode;  // as both listings print it
        std::string stamp; // local time, touch -d form; even seconds for zip
    };
    const std::vector<Entry> entries = {
        {"project/run.sh", fs::perms(0750), "-rwxr-x---", "2001-02-03 04:05:06"},
        {"project/docs/notes.txt", fs::perms(0640), "-rw-r-----", "2002-03-04 05:06:08"},
        {"project/docs/", fs::perms(0710), "drwx--x---", "2003-04-05 06:07:10"},
        {"project/", fs::perms(0755), "drwxr-xr-x", "2004-05-06 07:08:12"},
        {"loose.txt", fs::perms(0600), "-rw-------", "2005-06-07 08:09:14"},
    };
    struct Format {
        int preset;
        std::string extension;
        std::string listCommand;
        // How the listing prints a stamp.
        std::string (*printed)(const std::string& stamp);
    };
    const std::vector<Format> formats = {
        {ZODArchiverPresetZip, "zip", "zipinfo -T ",
         [](const std::string& s) {
             return s.substr(0, 4) + s.substr(5, 2) + s.substr(8, 2) + "." + s.substr(11, 2) + s.substr(14, 2)
                 + s.substr(17, 2);
         }},
        {ZODArchiverPresetTarGz, "tar.gz", "tar --full-time -tvzf ", [](const std::string& s) { return s; }},
    };
    for (const Format& format : formats) {
        SCOPED_TRACE(format.extension);
        const std::string folder = makeFolder("dates-" + format.extension);
        writeFile(folder + "/project/run.sh", "#!/bin/sh\n");
        writeFile(folder + "/project/docs/notes.txt", "notes");
        writeFile(folder + "/loose.txt", "loose");
        // Children first: each one touched moves its folder's time.
        for (const Entry& entry : entries) {
            const std::string path = folder + "/" + entry.name;
            fs::permissions(path, entry.perms);
            ASSERT_TRUE(run("touch -d " + quoted(entry.stamp) + " " + quoted(path)));
        }

        const ArchiveSettingsScope settings(format.preset);
        const std::string destination = makeFolder("dates-saved") + "/Dated." + format.extension;
        TollbeckRequest request({folder + "/project", folder + "/loose.txt"});
        request.start();
        click(request.controller->okButton()->widget());
        ASSERT_TRUE(TestSupport::acceptSavePanel(request.window(), destination));
        ASSERT_TRUE(request.waitForEnd());

        const std::string listing = output(format.listCommand + quoted(destination));
        for (const Entry& entry : entries) {
            const std::string line = lineOf(listing, entry.name);
            EXPECT_NE(line.find(entry.mode), std::string::npos) << entry.name << " in\n" << listing;
            EXPECT_NE(line.find(format.printed(entry.stamp)), std::string::npos) << entry.name << " in\n" << listing;
        }
    }
}

} // namespace
