#include "Platform/Foundation/Bundle.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace Foundation {

Bundle::Bundle()
{
    QFile file(":/Info.json");
    if (file.open(QIODevice::ReadOnly))
        info_ = QJsonDocument::fromJson(file.readAll()).object().toVariantMap();
}

const Bundle& Bundle::main()
{
    static const Bundle* bundle = new Bundle;
    return *bundle;
}

QVariant Bundle::objectForInfoDictionaryKey(const std::string& key) const
{
    return info_.value(QString::fromStdString(key));
}

std::optional<std::string> Bundle::pathForResource(const std::string& name, const std::string& extension) const
{
    const QString wanted = QString::fromStdString(extension.empty() ? name : name + "." + extension);
    QStringList found;
    QDirIterator it(":/", QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (!path.startsWith(":/strings/") && it.fileName() == wanted)
            found.push_back(path);
    }
    if (found.isEmpty())
        return std::nullopt;
    return std::min_element(found.begin(), found.end())->toStdString();
}

} // namespace Foundation
