#include "Brackwen/EngineFormats.h"

#include <archive.h>
#include <cstdint>
#include <cstring>
#include <fstream>

namespace Brackwen {

void supportArchiveFormats(struct archive* a)
{
    archive_read_support_format_7zip(a);
    archive_read_support_format_ar(a);
    archive_read_support_format_cab(a);
    archive_read_support_format_cpio(a);
    archive_read_support_format_empty(a);
    archive_read_support_format_iso9660(a);
    archive_read_support_format_lha(a);
    archive_read_support_format_rar(a);
    archive_read_support_format_rar5(a);
    archive_read_support_format_tar(a);
    archive_read_support_format_warc(a);
    archive_read_support_format_xar(a);
    archive_read_support_format_zip(a);
}

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

namespace {

// RAR5 variable-length integer: seven bits a byte, low bits first.
bool readVint(const uint8_t*& p, const uint8_t* end, uint64_t& value)
{
    value = 0;
    for (int shift = 0; p < end && shift < 64; shift += 7) {
        uint8_t b = *p++;
        value |= uint64_t(b & 0x7f) << shift;
        if (!(b & 0x80))
            return true;
    }
    return false;
}

constexpr uint64_t kFileHeader = 2, kEndOfArchive = 5;
constexpr uint64_t kHasExtra = 0x0001, kHasData = 0x0002;
constexpr uint64_t kFileHasMtime = 0x0002, kFileHasCrc = 0x0004;
constexpr uint64_t kEncryptionRecord = 0x01;

// The name of a file header body (from its type on) when its extra area has
// an encryption record; empty otherwise.
std::string encryptedName(const uint8_t* p, const uint8_t* end)
{
    uint64_t type, flags, extraSize = 0, dataSize, fileFlags, unpacked, attributes, compression, host, nameLength;
    if (!readVint(p, end, type) || !readVint(p, end, flags) || type != kFileHeader || !(flags & kHasExtra)
        || !readVint(p, end, extraSize) || ((flags & kHasData) && !readVint(p, end, dataSize))
        || !readVint(p, end, fileFlags) || !readVint(p, end, unpacked) || !readVint(p, end, attributes))
        return {};
    p += ((fileFlags & kFileHasMtime) ? 4 : 0) + ((fileFlags & kFileHasCrc) ? 4 : 0);
    if (p > end || !readVint(p, end, compression) || !readVint(p, end, host) || !readVint(p, end, nameLength)
        || nameLength > uint64_t(end - p))
        return {};
    std::string name(reinterpret_cast<const char*>(p), size_t(nameLength));
    const uint8_t* extra = end - std::min<uint64_t>(extraSize, uint64_t(end - p));
    while (extra < end) {
        uint64_t size, recordType;
        const uint8_t* record = extra;
        if (!readVint(record, end, size) || size > uint64_t(end - record))
            return {};
        const uint8_t* next = record + size;
        if (readVint(record, next, recordType) && recordType == kEncryptionRecord)
            return name;
        extra = next;
    }
    return {};
}

} // namespace

std::unordered_set<std::string> rar5EncryptedNames(const std::vector<std::string>& volumePaths)
{
    static const char signature[8] = {'R', 'a', 'r', '!', 0x1a, 0x07, 0x01, 0x00};
    std::unordered_set<std::string> names;
    std::vector<uint8_t> header;
    for (const auto& path : volumePaths) {
        std::ifstream in(path, std::ios::binary);
        char start[8];
        if (!in.read(start, 8) || std::memcmp(start, signature, 8) != 0)
            continue;
        for (;;) {
            // CRC32, then the header size as a vint of at most three bytes.
            uint8_t prefix[7];
            if (!in.read(reinterpret_cast<char*>(prefix), 7))
                break;
            const uint8_t* p = prefix + 4;
            uint64_t size;
            if (!readVint(p, prefix + 7, size) || size == 0 || size > (2 << 20))
                break;
            const size_t taken = size_t(prefix + 7 - p);
            header.assign(p, static_cast<const uint8_t*>(prefix + 7));
            header.resize(size_t(size));
            if (size < taken)
                in.seekg(-std::streamoff(taken - size), std::ios::cur);
            if (size > taken && !in.read(reinterpret_cast<char*>(header.data() + taken), std::streamsize(size - taken)))
                break;
            const uint8_t* body = header.data();
            const uint8_t* end = body + size;
            uint64_t type, flags, extraSize = 0, dataSize = 0;
            if (!readVint(body, end, type) || !readVint(body, end, flags)
                || ((flags & kHasExtra) && !readVint(body, end, extraSize))
                || ((flags & kHasData) && !readVint(body, end, dataSize)))
                break;
            if (type == kEndOfArchive)
                break;
            if (std::string name = encryptedName(header.data(), end); !name.empty())
                names.insert(std::move(name));
            if (!in.seekg(std::streamoff(dataSize), std::ios::cur))
                break;
        }
    }
    return names;
}

} // namespace Brackwen
