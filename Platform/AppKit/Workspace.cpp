#include "Platform/AppKit/Workspace.h"

#include "Platform/Dispatch/Dispatch.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QUrl>

#include <map>

namespace AppKit {

namespace {

bool desktopOpen(const std::string& url) { return QDesktopServices::openUrl(QUrl(QString::fromStdString(url))); }

bool dbusShowItems(const std::vector<std::string>& urls)
{
    auto bus = QDBusConnection::sessionBus();
    const QString service = "org.freedesktop.FileManager1";
    if (!bus.isConnected() || !bus.interface() || !bus.interface()->isServiceRegistered(service).value())
        return false;
    QStringList list;
    for (const auto& u : urls)
        list << QString::fromStdString(u);
    auto call = QDBusMessage::createMethodCall(service, "/org/freedesktop/FileManager1", service, "ShowItems");
    call << list << QString();
    // Not waiting: a file manager that starts slowly must not hold the UI.
    return bus.send(call);
}

QIcon themeIcon(const QMimeType& type)
{
    return QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName(),
                                                               QIcon::fromTheme("text-x-generic")));
}

} // namespace

Workspace& Workspace::shared()
{
    static Workspace workspace;
    return workspace;
}

Workspace::Workspace() { setLauncher({}); }

void Workspace::setLauncher(Launcher launcher)
{
    launcher_ = std::move(launcher);
    if (!launcher_.openURL)
        launcher_.openURL = desktopOpen;
    if (!launcher_.showItems)
        launcher_.showItems = dbusShowItems;
}

bool Workspace::openFile(const std::string& path)
{
    Dispatch::assertMainThread("Workspace::openFile");
    if (!QFileInfo::exists(QString::fromStdString(path)))
        return false;
    return launcher_.openURL(QUrl::fromLocalFile(QString::fromStdString(path)).toString(QUrl::FullyEncoded).toStdString());
}

void Workspace::activateFileViewerSelectingURLs(const std::vector<std::string>& paths)
{
    Dispatch::assertMainThread("Workspace::activateFileViewerSelectingURLs");
    if (paths.empty())
        return;
    std::vector<std::string> urls;
    for (const auto& p : paths)
        urls.push_back(QUrl::fromLocalFile(QString::fromStdString(p)).toString(QUrl::FullyEncoded).toStdString());
    if (launcher_.showItems(urls))
        return;
    const QString folder = QFileInfo(QString::fromStdString(paths.front())).absolutePath();
    launcher_.openURL(QUrl::fromLocalFile(folder).toString(QUrl::FullyEncoded).toStdString());
}

QIcon Workspace::iconForFile(const std::string& path) const
{
    static QFileIconProvider provider;
    return provider.icon(QFileInfo(QString::fromStdString(path)));
}

std::string Workspace::iconNameForFileType(const std::string& extension) const
{
    static QMimeDatabase db;
    if (extension.empty())
        return db.mimeTypeForName("application/octet-stream").iconName().toStdString();
    return db.mimeTypeForFile("file." + QString::fromStdString(extension), QMimeDatabase::MatchExtension)
        .iconName()
        .toStdString();
}

QIcon Workspace::iconForFileType(const std::string& extension) const
{
    // One lookup per distinct extension: a table of 100,000 rows asks often.
    static std::map<std::string, QIcon> cache;
    auto it = cache.find(extension);
    if (it != cache.end())
        return it->second;
    static QMimeDatabase db;
    const QMimeType type = extension.empty()
        ? db.mimeTypeForName("application/octet-stream")
        : db.mimeTypeForFile("file." + QString::fromStdString(extension), QMimeDatabase::MatchExtension);
    return cache.emplace(extension, themeIcon(type)).first->second;
}

QIcon Workspace::folderIcon() const
{
    return QIcon::fromTheme("folder", QFileIconProvider().icon(QFileIconProvider::Folder));
}

} // namespace AppKit
