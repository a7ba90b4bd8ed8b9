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
    // A directory has no bytes: it must not pass for "public.data".
    if (mime.name() == QLatin1String("inode/directory"))
        return folder();
    return UTType(mime.name().toStdString());
}

std::optional<UTType> UTType::ofFileURL(const QUrl& url)
{
    if (!url.isLocalFile())
        return std::nullopt;
    const QFileInfo info(url.toLocalFile());
    if (!info.exists())
        return std::nullopt;
    if (info.isDir())
        return folder();
    return UTType(QMimeDatabase().mimeTypeForFile(info).name().toStdString());
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
