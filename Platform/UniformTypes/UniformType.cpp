#include "Platform/UniformTypes/UniformType.h"

#include <QFileInfo>
#include <QMimeDatabase>

namespace UniformTypes {

namespace {
constexpr const char* kItem = "public.item";
constexpr const char* kData = "public.data";
constexpr const char* kDirectory = "public.directory";
constexpr const char* kFolder = "public.folder";

bool isSystem(const std::string& id)
{
    return id == kItem || id == kData || id == kDirectory || id == kFolder;
}
} // namespace

UTType UTType::item() { return UTType(kItem); }
UTType UTType::data() { return UTType(kData); }
UTType UTType::directory() { return UTType(kDirectory); }
UTType UTType::folder() { return UTType(kFolder); }

std::optional<UTType> UTType::withIdentifier(const std::string& identifier)
{
    if (isSystem(identifier))
        return UTType(identifier);
    const QMimeType mime = QMimeDatabase().mimeTypeForName(QString::fromStdString(identifier));
    if (!mime.isValid())
        return std::nullopt;
    return UTType(mime.name().toStdString());
}

UTType UTType::ofFile(const std::string& path)
{
    const QString qpath = QString::fromStdString(path);
    if (QFileInfo(qpath).isDir())
        return folder();
    return UTType(QMimeDatabase().mimeTypeForFile(qpath).name().toStdString());
}

std::string UTType::preferredMIMEType() const
{
    if (identifier_ == kFolder || identifier_ == kDirectory)
        return "inode/directory";
    if (isSystem(identifier_))
        return {};
    return identifier_;
}

bool UTType::conformsTo(const UTType& other) const
{
    if (*this == other || other.identifier_ == kItem)
        return true;
    if (identifier_ == kFolder)
        return other.identifier_ == kDirectory;
    if (isSystem(identifier_))
        return false;
    if (other.identifier_ == kData)
        return true;
    if (isSystem(other.identifier_))
        return false;
    const QMimeType mime = QMimeDatabase().mimeTypeForName(QString::fromStdString(identifier_));
    return mime.isValid() && mime.inherits(QString::fromStdString(other.identifier_));
}

} // namespace UniformTypes
