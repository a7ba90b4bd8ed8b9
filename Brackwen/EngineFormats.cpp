#include "Brackwen/EngineFormats.h"

#include <archive.h>

namespace Brackwen {

bool isSevenZip(struct archive* a)
{
    return (archive_format(a) & ARCHIVE_FORMAT_BASE_MASK) == ARCHIVE_FORMAT_7ZIP;
}

bool isRar(struct archive* a)
{
    int base = archive_format(a) & ARCHIVE_FORMAT_BASE_MASK;
    return base == ARCHIVE_FORMAT_RAR || base == ARCHIVE_FORMAT_RAR_V5;
}

bool isZip(struct archive* a)
{
    return (archive_format(a) & ARCHIVE_FORMAT_BASE_MASK) == ARCHIVE_FORMAT_ZIP;
}

bool isEncryptedHeaderMessage(const std::string& message)
{
    return message.find("header is encrypted") != std::string::npos;
}

bool isRarEncryptionMessage(const std::string& message)
{
    return message.find("RAR encryption support unavailable") != std::string::npos ||
           message.find("Encryption is not supported") != std::string::npos;
}

} // namespace Brackwen
