#include "Kelvora/RecentDocuments.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>

namespace {
QString listPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/recently-used.xbel");
}

QString readList()
{
    QFile file(listPath());
    if (file.open(QIODevice::ReadOnly))
        return QString::fromUtf8(file.readAll());
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<xbel version=\"1.0\" xmlns:bookmark=\"http://www.freedesktop.org/standards/desktop-bookmarks\""
                          " xmlns:mime=\"http://www.freedesktop.org/standards/shared-mime-info\">\n</xbel>\n");
}
} // namespace

namespace RecentDocuments {

void noteNewRecentDocumentURL(const std::string& path)
{
    const QString href = QUrl::fromLocalFile(QString::fromStdString(path)).toString(QUrl::FullyEncoded).toHtmlEscaped();
    QString list = readList();
    // One bookmark per file: an earlier one for the same file goes.
    list.remove(QRegularExpression(QStringLiteral("[ \\t]*<bookmark href=\"") + QRegularExpression::escape(href)
                                   + QStringLiteral("\".*?</bookmark>\\n?"),
                                   QRegularExpression::DotMatchesEverythingOption));
    const QString now = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
    const QString bookmark =
        QStringLiteral("  <bookmark href=\"%1\" added=\"%2\" modified=\"%2\" visited=\"%2\">\n"
                       "    <info><metadata owner=\"http://freedesktop.org\"><bookmark:applications>"
                       "<bookmark:application name=\"Kelvora\" exec=\"&apos;kelvora %u&apos;\" modified=\"%2\" count=\"1\"/>"
                       "</bookmark:applications></metadata></info>\n  </bookmark>\n")
            .arg(href, now);
    const auto end = list.lastIndexOf(QStringLiteral("</xbel>"));
    if (end < 0)
        return;
    list.insert(end, bookmark);
    QDir().mkpath(QFileInfo(listPath()).absolutePath());
    QSaveFile file(listPath());
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(list.toUtf8());
    file.commit();
}

std::vector<std::string> recentDocumentURLs()
{
    std::vector<std::string> urls;
    static const QRegularExpression hrefs(QStringLiteral("<bookmark href=\"([^\"]*)\""));
    auto it = hrefs.globalMatch(readList());
    while (it.hasNext())
        urls.push_back(it.next().captured(1).toStdString());
    return urls;
}

} // namespace RecentDocuments
