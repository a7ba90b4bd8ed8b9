#include "Brackwen/CompressOptions.h"

#include "Brackwen/ZODArchiverError.h"

#include <algorithm>
#include <thread>
#include <unistd.h>

namespace Brackwen {

namespace {

// Levels 1...5 onto each compressor's range. Level 0 sets no option at all:
// libarchive's own 0 means "store" for zip and gzip, which is not a default.
constexpr int kNineStep[6] = {0, 1, 3, 5, 7, 9};      // zip, gzip, bzip2, xz, libarchive 7z
constexpr int kZstd[6] = {0, 1, 3, 9, 15, 19};
constexpr int kSevenZipMx[6] = {5, 1, 3, 5, 7, 9};

std::string levelOption(const char* module, int64_t level, const int (&table)[6])
{
    if (level <= 0)
        return {};
    return std::string(module) + ":compression-level=" + std::to_string(table[level]);
}

void append(std::string& options, const std::string& option)
{
    if (option.empty())
        return;
    if (!options.empty())
        options += ',';
    options += option;
}

int threadCount()
{
    return int(std::max(1u, std::thread::hardware_concurrency()));
}

// xz's multi-threaded encoder needs about twelve dictionaries of memory per
// thread (the encoder and its block buffers); at the highest levels every
// core would need gigabytes, so threads are limited to a quarter of the RAM.
int xzThreadCount(int64_t level)
{
    static const int64_t dictionaryMb[6] = {8, 1, 4, 8, 16, 64}; // xz presets 6, 1, 3, 5, 7, 9
    const int64_t perThread = 12 * (dictionaryMb[level] << 20);
    const int64_t ram = int64_t(::sysconf(_SC_PHYS_PAGES)) * int64_t(::sysconf(_SC_PAGESIZE));
    const int64_t cores = std::max<int64_t>(1, std::thread::hardware_concurrency());
    const int64_t fit = ram > 0 ? (ram / 4) / perThread : 1;
    return int(std::clamp<int64_t>(fit, 1, cores));
}

Foundation::ErrorPtr cannotEncrypt(const char* why)
{
    return ZODArchiverMakeError(ZODArchiverErrorCannotEncrypt, {{ZODArchiverUnderlyingMessageKey, std::string(why)}});
}

} // namespace

Foundation::Result<CompressSettings, Foundation::ErrorPtr>
compressSettingsFor(const ZODArchiverPreference& preference, bool sevenZipAvailable)
{
    using R = Foundation::Result<CompressSettings, Foundation::ErrorPtr>;
    const int64_t level = std::clamp<int64_t>(preference.compressionLevel(), 0, 5);
    std::optional<std::string> passphrase = preference.passphrase();
    if (passphrase && passphrase->empty())
        passphrase.reset();
    // Hiding names means nothing without a passphrase; it is only checked
    // where something is encrypted.
    const bool hideNames = passphrase && preference.shouldEncryptHeader();

    CompressSettings s;
    WriterSettings& w = s.writer;
    switch (preference.preset()) {
    case ZODArchiverPresetZip: {
        if (hideNames)
            return R::failure(cannotEncrypt("zip cannot encrypt entry names"));
        w.format = "zip";
        // Our own writer, parallel; libarchive's only for encryption.
        if (!passphrase) {
            w.compression = {StreamCodec::Deflate, level > 0 ? kNineStep[level] : 0, threadCount()};
            return R::success(std::move(s));
        }
        static const char* methods[4] = {"aes256", "zipcrypt", "aes128", "aes256"};
        const int64_t method = preference.encryptionMethod();
        append(w.options, levelOption("zip", level, kNineStep));
        append(w.options, std::string("zip:encryption=") + methods[(method >= 1 && method <= 3) ? method : 0]);
        w.passphrase = passphrase;
        return R::success(std::move(s));
    }
    case ZODArchiverPreset7z:
        if (sevenZipAvailable) {
            s.useSevenZip = true;
            s.sevenZipLevel = kSevenZipMx[level];
            s.encryptHeader = hideNames;
            s.writer.passphrase = passphrase;
            return R::success(std::move(s));
        }
        if (passphrase)
            return R::failure(ZODArchiverMakeError(ZODArchiverErrorBackendMissing,
                                                   {{Foundation::NSFilePathErrorKey, std::string("7zz")}}));
        w.format = "7zip";
        append(w.options, "7zip:compression=lzma2");
        append(w.options, levelOption("7zip", level, kNineStep));
        return R::success(std::move(s));
    case ZODArchiverPresetTarGz:
    case ZODArchiverPresetTarBz2:
    case ZODArchiverPresetTarZ:
    case ZODArchiverPresetTarXz:
    case ZODArchiverPresetISO:
    case ZODArchiverPresetTarZst:
        if (passphrase)
            return R::failure(cannotEncrypt("this format cannot be encrypted"));
        break;
    default:
        return R::failure(ZODArchiverMakeError(ZODArchiverErrorInvalidArgument));
    }

    w.format = "paxr"; // ustar unless an entry needs pax headers
    switch (preference.preset()) {
    case ZODArchiverPresetTarGz:
        w.compression = {StreamCodec::Gzip, level > 0 ? kNineStep[level] : 0, threadCount()};
        break;
    case ZODArchiverPresetTarBz2:
        w.filter = "bzip2";
        append(w.options, levelOption("bzip2", level, kNineStep));
        break;
    case ZODArchiverPresetTarZ:
        w.filter = "compress"; // one fixed algorithm, no levels
        break;
    case ZODArchiverPresetTarXz:
        w.compression = {StreamCodec::Xz, level > 0 ? kNineStep[level] : 6, xzThreadCount(level)};
        break;
    case ZODArchiverPresetTarZst:
        w.compression = {StreamCodec::Zstd, level > 0 ? kZstd[level] : 3, threadCount()};
        break;
    case ZODArchiverPresetISO:
        w.format = "iso9660"; // stores files uncompressed: the level has no meaning
        append(w.options, "iso9660:joliet,iso9660:rockridge");
        break;
    default:
        break;
    }
    return R::success(std::move(s));
}

} // namespace Brackwen
