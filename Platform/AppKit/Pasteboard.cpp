#include "Platform/AppKit/Pasteboard.h"

#include <QDataStream>
#include <QIODevice>
#include <algorithm>
#include <QMimeData>
#include <QStringList>
#include <QString>
#include <QUrl>

namespace AppKit {

namespace {
QString format(const std::string& type) { return QString::fromStdString(type); }
} // namespace

Pasteboard::Pasteboard() : own_(new QMimeData), data_(own_) {}

Pasteboard::Pasteboard(const QMimeData* data) : data_(data)
{
    if (data_)
        for (const auto& f : data_->formats())
            declared_.push_back(f.toStdString());
}

Pasteboard::~Pasteboard() { delete own_; }

void Pasteboard::declareTypes(const std::vector<std::string>& types)
{
    if (!own_)
        return;
    own_->clear();
    declared_ = types;
    // A declared type without data still shows in the drag's formats.
    for (const auto& t : types)
        own_->setData(format(t), {});
}

std::vector<std::string> Pasteboard::types() const { return declared_; }

bool Pasteboard::hasType(const std::string& type) const
{
    return std::find(declared_.begin(), declared_.end(), type) != declared_.end();
}

bool Pasteboard::setData(const QByteArray& data, const std::string& type)
{
    if (!own_ || !hasType(type))
        return false;
    own_->setData(format(type), data);
    return true;
}

std::optional<QByteArray> Pasteboard::data(const std::string& type) const
{
    if (!data_ || !data_->hasFormat(format(type)))
        return std::nullopt;
    return data_->data(format(type));
}

bool Pasteboard::setPropertyList(const std::vector<std::string>& list, const std::string& type)
{
    QStringList strings;
    for (const auto& s : list)
        strings << QString::fromStdString(s);
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << strings;
    return setData(bytes, type);
}

std::optional<std::vector<std::string>> Pasteboard::propertyList(const std::string& type) const
{
    auto bytes = data(type);
    if (!bytes)
        return std::nullopt;
    QStringList strings;
    QDataStream in(*bytes);
    in >> strings;
    if (in.status() != QDataStream::Ok)
        return std::nullopt;
    std::vector<std::string> list;
    for (const auto& s : strings)
        list.push_back(s.toStdString());
    return list;
}

std::vector<std::string> Pasteboard::filePaths() const
{
    std::vector<std::string> paths;
    if (!data_)
        return paths;
    for (const QUrl& url : data_->urls())
        if (url.isLocalFile())
            paths.push_back(url.toLocalFile().toStdString());
    return paths;
}

void Pasteboard::setFilePaths(const std::vector<std::string>& paths)
{
    if (!own_)
        return;
    QList<QUrl> urls;
    for (const auto& p : paths)
        urls << QUrl::fromLocalFile(QString::fromStdString(p));
    own_->setUrls(urls);
    if (!hasType(PasteboardTypeFileURL))
        declared_.push_back(PasteboardTypeFileURL);
}

const QMimeData* Pasteboard::mimeData() const { return data_; }

QMimeData* Pasteboard::takeMimeData()
{
    QMimeData* d = own_;
    own_ = nullptr;
    data_ = nullptr;
    declared_.clear();
    return d;
}

} // namespace AppKit
