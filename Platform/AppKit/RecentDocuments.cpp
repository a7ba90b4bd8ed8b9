#include "Platform/AppKit/RecentDocuments.h"

#include "Platform/Dispatch/Dispatch.h"

#include <QDateTime>
#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QSaveFile>
#include <QUrl>

#include <algorithm>
#include <optional>

namespace AppKit {

namespace {

const QString bookmarkNs = QStringLiteral("http://www.freedesktop.org/standards/desktop-bookmarks");
const QString mimeNs = QStringLiteral("http://www.freedesktop.org/standards/shared-mime-info");
const QString metadataOwner = QStringLiteral("http://freedesktop.org");
const QString applicationName = QStringLiteral("Kelvora");
const QString applicationExec = QStringLiteral("kelvora %u");

std::string& overridePath()
{
    static std::string path;
    return path;
}

QDomDocument emptyList()
{
    QDomDocument doc;
    doc.appendChild(doc.createProcessingInstruction("xml", "version=\"1.0\" encoding=\"UTF-8\""));
    QDomElement root = doc.createElement("xbel");
    root.setAttribute("version", "1.0");
    root.setAttribute("xmlns:bookmark", bookmarkNs);
    root.setAttribute("xmlns:mime", mimeNs);
    doc.appendChild(root);
    return doc;
}

// A missing list reads as empty; one that cannot be read or parsed gives
// none, so that it is never replaced by a list without its entries.
std::optional<QDomDocument> load()
{
    QFile file(QString::fromStdString(RecentDocuments::storePath()));
    if (!file.exists())
        return emptyList();
    QDomDocument doc;
    if (!file.open(QIODevice::ReadOnly) || !doc.setContent(&file, true) || doc.documentElement().tagName() != "xbel")
        return std::nullopt;
    return doc;
}

QDomElement child(QDomElement parent, const QString& tag, const QString& attribute = {}, const QString& value = {})
{
    for (QDomElement e = parent.firstChildElement(tag); !e.isNull(); e = e.nextSiblingElement(tag))
        if (attribute.isEmpty() || e.attribute(attribute) == value)
            return e;
    return {};
}

QDomElement childNS(QDomElement parent, const QString& ns, const QString& localName)
{
    for (QDomElement e = parent.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        if (e.namespaceURI() == ns && e.localName() == localName)
            return e;
    return {};
}

QDomElement ensureChild(QDomDocument& doc, QDomElement parent, const QString& tag)
{
    QDomElement e = child(parent, tag);
    if (e.isNull())
        e = parent.appendChild(doc.createElement(tag)).toElement();
    return e;
}

QDateTime timeOf(const QDomElement& bookmark)
{
    for (const char* name : {"visited", "modified", "added"}) {
        const QDateTime t = QDateTime::fromString(bookmark.attribute(name), Qt::ISODateWithMs);
        if (t.isValid())
            return t;
    }
    return {};
}

} // namespace

std::string RecentDocuments::storePath()
{
    if (!overridePath().empty())
        return overridePath();
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + "/.local/share";
    return (base + "/recently-used.xbel").toStdString();
}

void RecentDocuments::setStorePath(std::string path)
{
    overridePath() = std::move(path);
}

bool RecentDocuments::noteNewRecentDocument(const std::string& path)
{
    Dispatch::assertMainThread("RecentDocuments::noteNewRecentDocument");
    const QString local = QFileInfo(QString::fromStdString(path)).absoluteFilePath();
    const QString href = QString::fromLatin1(QUrl::fromLocalFile(local).toEncoded());
    const QString now = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);

    std::optional<QDomDocument> loaded = load();
    if (!loaded)
        return false;
    QDomDocument& doc = *loaded;
    QDomElement root = doc.documentElement();
    QDomElement bookmark = child(root, "bookmark", "href", href);
    if (bookmark.isNull()) {
        bookmark = root.appendChild(doc.createElement("bookmark")).toElement();
        bookmark.setAttribute("href", href);
        bookmark.setAttribute("added", now);
    }
    bookmark.setAttribute("modified", now);
    bookmark.setAttribute("visited", now);

    QDomElement info = ensureChild(doc, bookmark, "info");
    QDomElement metadata = child(info, "metadata", "owner", metadataOwner);
    if (metadata.isNull()) {
        metadata = info.appendChild(doc.createElement("metadata")).toElement();
        metadata.setAttribute("owner", metadataOwner);
    }
    if (childNS(metadata, mimeNs, "mime-type").isNull()) {
        QDomElement mime = doc.createElementNS(mimeNs, "mime:mime-type");
        mime.setAttribute("type", QMimeDatabase().mimeTypeForFile(local).name());
        metadata.appendChild(mime);
    }
    QDomElement apps = childNS(metadata, bookmarkNs, "applications");
    if (apps.isNull())
        apps = metadata.appendChild(doc.createElementNS(bookmarkNs, "bookmark:applications")).toElement();
    QDomElement app;
    for (QDomElement e = apps.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        if (e.localName() == "application" && e.attribute("name") == applicationName)
            app = e;
    if (app.isNull()) {
        app = apps.appendChild(doc.createElementNS(bookmarkNs, "bookmark:application")).toElement();
        app.setAttribute("name", applicationName);
    }
    app.setAttribute("exec", applicationExec);
    app.setAttribute("modified", now);
    app.setAttribute("count", app.attribute("count").toInt() + 1);

    const QString file = QString::fromStdString(storePath());
    QDir().mkpath(QFileInfo(file).absolutePath());
    // Written whole and renamed over the old list, so another program never
    // reads half of it.
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write(doc.toByteArray(2));
    return out.commit();
}

std::vector<std::string> RecentDocuments::recentDocumentPaths()
{
    std::vector<std::pair<QDateTime, std::string>> entries;
    const std::optional<QDomDocument> doc = load();
    if (!doc)
        return {};
    for (QDomElement b = doc->documentElement().firstChildElement("bookmark"); !b.isNull();
         b = b.nextSiblingElement("bookmark")) {
        const QUrl url = QUrl::fromEncoded(b.attribute("href").toUtf8());
        if (url.isLocalFile())
            entries.emplace_back(timeOf(b), url.toLocalFile().toStdString());
    }
    std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<std::string> paths;
    paths.reserve(entries.size());
    for (auto& e : entries)
        paths.push_back(std::move(e.second));
    return paths;
}

} // namespace AppKit
