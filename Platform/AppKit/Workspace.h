#pragma once
// Stand-in for the platform's workspace: opening a file with its
// application (xdg-open through Qt's desktop services), revealing files in
// the file manager (org.freedesktop.FileManager1.ShowItems over D-Bus, else
// the folder is opened), and icons for files, extensions and folders.
//
// One seam: a test installs a Launcher and sees every request instead of a
// program being started.

#include <QIcon>

#include <functional>
#include <string>
#include <vector>

namespace AppKit {

class Workspace {
public:
    struct Launcher {
        // Opens a URL with its application; false when none could.
        std::function<bool(const std::string& url)> openURL;
        // Asks the file manager to show the items; false when no file
        // manager answers on the bus.
        std::function<bool(const std::vector<std::string>& fileURLs)> showItems;
    };

    static Workspace& shared();

    // Opens the file at a local path; false when it does not exist or no
    // application took it.
    bool openFile(const std::string& path);
    // Selects the files in their folders in the file manager; without one,
    // opens the folder of the first.
    void activateFileViewerSelectingURLs(const std::vector<std::string>& paths);

    // The icon of the file on disk; of the type of a file name extension
    // (empty: a file of no particular type); of a folder.
    QIcon iconForFile(const std::string& path) const;
    QIcon iconForFileType(const std::string& extension) const;
    QIcon folderIcon() const;
    // The theme icon name behind iconForFileType (for checks without a theme).
    std::string iconNameForFileType(const std::string& extension) const;

    // Replaces the launcher (tests); an empty one restores the desktop's.
    void setLauncher(Launcher launcher);

private:
    Workspace();
    Launcher launcher_;
};

} // namespace AppKit
