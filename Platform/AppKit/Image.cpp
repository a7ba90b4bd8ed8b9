#include "Platform/AppKit/Image.h"

#include <QApplication>
#include <QFileInfo>
#include <QStyle>

#include <map>
#include <vector>

namespace AppKit::Image {

namespace {
struct Mapping {
    std::vector<const char*> theme; // first that the theme has
    QStyle::StandardPixmap fallback;
};

const std::map<std::string, Mapping>& mappings()
{
    static const std::map<std::string, Mapping> table{
        {"NSFolder", {{"folder"}, QStyle::SP_DirIcon}},
        {"folder", {{"folder"}, QStyle::SP_DirIcon}},
        {"NSCaution", {{"dialog-warning"}, QStyle::SP_MessageBoxWarning}},
        {"exclamationmark.triangle", {{"dialog-warning"}, QStyle::SP_MessageBoxWarning}},
        {"NSInfo", {{"dialog-information"}, QStyle::SP_MessageBoxInformation}},
        {"info.circle", {{"dialog-information"}, QStyle::SP_MessageBoxInformation}},
        {"NSStopProgressTemplate", {{"process-stop"}, QStyle::SP_BrowserStop}},
        {"NSStopProgressFreestandingTemplate", {{"process-stop"}, QStyle::SP_BrowserStop}},
        {"xmark.circle.fill", {{"process-stop"}, QStyle::SP_BrowserStop}},
        {"NSRefreshTemplate", {{"view-refresh"}, QStyle::SP_BrowserReload}},
        {"NSGoBackTemplate", {{"go-previous"}, QStyle::SP_ArrowBack}},
        {"chevron.left", {{"go-previous"}, QStyle::SP_ArrowBack}},
        {"NSGoForwardTemplate", {{"go-next"}, QStyle::SP_ArrowForward}},
        {"chevron.right", {{"go-next"}, QStyle::SP_ArrowForward}},
        {"arrow.up", {{"go-up"}, QStyle::SP_ArrowUp}},
        {"NSActionTemplate", {{"application-menu"}, QStyle::SP_TitleBarMenuButton}},
        {"NSQuickLookTemplate", {{"document-preview"}, QStyle::SP_FileDialogContentsView}},
        {"eye", {{"document-preview"}, QStyle::SP_FileDialogContentsView}},
        {"magnifyingglass", {{"edit-find"}, QStyle::SP_FileDialogContentsView}},
        {"doc.zipper", {{"package-x-generic"}, QStyle::SP_FileIcon}},
        {"archivebox", {{"package-x-generic"}, QStyle::SP_FileIcon}},
        {"square.and.arrow.up", {{"archive-extract"}, QStyle::SP_DialogSaveButton}},
        {"arrow.down.doc", {{"archive-extract"}, QStyle::SP_DialogSaveButton}},
        {"arrow.up.doc", {{"archive-insert"}, QStyle::SP_FileIcon}},
        {"plus", {{"list-add"}, QStyle::SP_FileDialogNewFolder}},
        {"NSAddTemplate", {{"list-add"}, QStyle::SP_FileDialogNewFolder}},
        {"minus", {{"list-remove"}, QStyle::SP_TrashIcon}},
        {"NSRemoveTemplate", {{"list-remove"}, QStyle::SP_TrashIcon}},
        {"sidebar.right", {{"view-right-pane", "sidebar-expand-right"}, QStyle::SP_FileDialogDetailedView}},
        {"sidebar.left", {{"view-left-pane", "sidebar-expand-left"}, QStyle::SP_FileDialogDetailedView}},
        {"list.bullet", {{"view-list-details"}, QStyle::SP_FileDialogListView}},
        {"list.dash", {{"view-list-details"}, QStyle::SP_FileDialogListView}},
        {"gearshape", {{"configure"}, QStyle::SP_FileDialogDetailedView}},
        {"lock", {{"object-locked"}, QStyle::SP_MessageBoxWarning}},
        {"NSLockLockedTemplate", {{"object-locked"}, QStyle::SP_MessageBoxWarning}},
    };
    return table;
}
} // namespace

QIcon named(const std::string& name)
{
    const auto it = mappings().find(name);
    if (it == mappings().end())
        return QIcon::fromTheme(QString::fromStdString(name));
    for (const char* candidate : it->second.theme)
        if (QIcon::hasThemeIcon(QString::fromLatin1(candidate)))
            return QIcon::fromTheme(QString::fromLatin1(candidate));
    return qApp ? QApplication::style()->standardIcon(it->second.fallback) : QIcon();
}

void chooseIconTheme()
{
    const QString current = QIcon::themeName();
    if (!current.isEmpty() && current != QLatin1String("hicolor"))
        return;
    // Breeze names nearly every icon mapped above; Adwaita has few of them
    // other than as symbolic variants, which Qt does not look for.
    QStringList installed;
    for (const char* theme : {"breeze", "Adwaita"}) {
        for (const QString& root : QIcon::themeSearchPaths()) {
            if (QFileInfo::exists(root + QLatin1Char('/') + QLatin1String(theme) + QLatin1String("/index.theme"))) {
                installed << QLatin1String(theme);
                break;
            }
        }
    }
    if (installed.isEmpty())
        return;
    QIcon::setThemeName(installed.front());
    if (installed.size() > 1)
        QIcon::setFallbackThemeName(installed[1]);
}

} // namespace AppKit::Image
