#include "Kelvora/DocumentTypes.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

std::vector<std::string> documentTypeExtensions(const QJsonObject& infoDictionary)
{
    std::vector<std::string> extensions;
    const QJsonValue types = infoDictionary.value("CFBundleDocumentTypes");
    if (!types.isArray())
        return extensions;
    for (const QJsonValue& type : types.toArray()) {
        const QJsonValue list = type.toObject().value("CFBundleTypeExtensions");
        if (!list.isArray())
            continue;
        const QJsonArray array = list.toArray();
        if (!std::all_of(array.begin(), array.end(), [](const QJsonValue& v) { return v.isString(); }))
            continue;
        for (const QJsonValue& extension : array)
            if (extension.toString() != QLatin1String("*"))
                extensions.push_back(extension.toString().toStdString());
    }
    return extensions;
}

QJsonObject mainBundleInfoDictionary()
{
    QFile file(QStringLiteral(":/Info.json"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

std::vector<std::string> documentTypeExtensions()
{
    return documentTypeExtensions(mainBundleInfoDictionary());
}
