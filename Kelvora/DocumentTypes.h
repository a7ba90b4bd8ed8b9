#pragma once
// The file-name extensions of the document types the application declares
// in its information dictionary, in declaration order, without "*".

#include <QJsonObject>

#include <string>
#include <vector>

std::vector<std::string> documentTypeExtensions(const QJsonObject& infoDictionary);
// Of the main bundle's information dictionary (":/Info.json").
std::vector<std::string> documentTypeExtensions();
QJsonObject mainBundleInfoDictionary();
