#pragma once
// What a preference means for the writers: the libarchive format, filter and
// option string, or the 7zz settings; and the refusal of an encryption a
// format cannot give.

#include "Brackwen/StreamCompressor.h"
#include "Brackwen/ZODArchiverPreference.h"
#include "Platform/Foundation/Error.h"
#include "Platform/Foundation/Result.h"

#include <optional>
#include <string>

namespace Brackwen {

struct WriterSettings {
    std::string format;                    // archive_write_set_format_by_name
    std::string filter;                    // archive_write_add_filter_by_name; empty for none
    std::string options;                   // archive_write_set_options
    std::optional<std::string> passphrase; // zip only
    StreamCompression compression;         // our own compressor after libarchive's tar
};

struct CompressSettings {
    bool useSevenZip = false;  // 7z through 7zz
    int sevenZipLevel = 5;     // -mx
    bool encryptHeader = false;
    WriterSettings writer;     // libarchive, also the 7z writer without 7zz
};

// `sevenZipAvailable`: whether 7zz can be run; without it a 7z without a
// passphrase falls back to libarchive's single-threaded writer, and one with
// a passphrase fails with BackendMissing.
// Fails with CannotEncrypt for a passphrase on a format that cannot encrypt
// (tar family, iso) and for hidden names on zip; InvalidArgument for an
// unknown preset.
Foundation::Result<CompressSettings, Foundation::ErrorPtr>
compressSettingsFor(const ZODArchiverPreference& preference, bool sevenZipAvailable);

} // namespace Brackwen
