#pragma once
// The engine's second backend: 7-Zip's `7zz` program, for what libarchive
// cannot do (writing encrypted or multi-threaded 7z, reading 7z whose data or
// names are encrypted).
//
// Every call runs `7zz` as a child process and blocks the calling (work)
// thread until it ends. A passphrase reaches `7zz` only through its standard
// input (it reads the answer to its own prompt from a pipe), never through
// its command line or environment. `control.isCancelled` is polled about
// every 50 ms; when it turns true the process is ended and the call returns
// ZODArchiverErrorCancelled. Errors are of ZODArchiverErrorDomain:
//   BackendMissing      `7zz` is not installed (any other failure to start
//                       it is Unknown, with the reason in its description)
//   PassphraseRequired  the archive is encrypted and no passphrase was given
//   WrongPassphrase     the passphrase given does not open it
//   FileNotFound, UnsupportedFormat, Damaged, UnsafeEntry, CannotWrite,
//   DiskFull, Cancelled, Unknown (with 7zz's message under
//   ZODArchiverUnderlyingMessageKey)
//
// Program: KELVORA_7ZZ in the environment when set and the file exists
// (tests point it at a missing or non-executable file), else an executable
// `7zz` found on PATH.

#include "Brackwen/ZODArchiverError.h"
#include "Platform/Foundation/Error.h"
#include "Platform/Foundation/Result.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace Brackwen {

struct SevenZipControl {
    std::function<bool()> isCancelled;
    // 7zz's own estimate of the work done, 0...1; called on the calling thread.
    std::function<void(double fraction)> progress;
    // An extraction's listing, before anything is extracted.
    std::function<void(const struct SevenZipListing&)> listed = nullptr;
};

struct SevenZipEntry {
    std::string path;          // inside the archive, '/'-separated, UTF-8
    int64_t size = 0;          // uncompressed bytes
    int64_t packedSize = -1;   // -1 when 7zz does not tell (solid blocks)
    bool isDirectory = false;
    bool isSymbolicLink = false;
    bool isEncrypted = false;
    uint32_t mode = 0;         // Unix permission bits and type, 0 when unknown
    int64_t modificationTime = 0; // seconds since 1970, UTC
};

struct SevenZipListing {
    std::string type;          // "7z", "zip", ... as 7zz names it
    bool headersEncrypted = false;
    std::vector<SevenZipEntry> entries;
};

// The path of the program, or empty when it is not available.
std::string sevenZipProgram();

// Lists the entries of an archive (its first volume; 7zz finds the others by
// name). With headers encrypted the passphrase is needed to list at all.
Foundation::Result<SevenZipListing, Foundation::ErrorPtr>
sevenZipList(const std::vector<std::string>& volumePaths,
             const std::optional<std::string>& passphrase,
             const SevenZipControl& control);

// Answer to an entry that already exists at the destination.
using SevenZipConflictHandler = std::function<ArchiverConflictResolving(const std::string& path)>;

struct SevenZipExtraction {
    std::vector<std::string> volumePaths;
    std::string destination;            // an existing folder
    std::optional<std::string> passphrase;
    // The folder inside the archive whose children are extracted ("" = root),
    // and the names of those children (empty = all of them), both as the
    // tree shows them: stored names without empty, "." and ".." parts. Each
    // one lands at destination/<name>.
    std::string archiveFolder;
    std::vector<std::string> itemNames;
    // Asked once per existing entry; "all" answers are kept for the call.
    // Without a handler an existing entry is replaced.
    SevenZipConflictHandler conflictHandler;
};

// Lists the archive, then extracts the chosen entries by their stored names
// into a private staging folder inside the destination and moves each one
// into place: nothing is written outside the destination, no entry is
// placed through a symbolic link, an entry whose stored name is absolute or
// climbs with ".." is not written, and a link is made when its target stays
// inside the destination and refused otherwise (the call then fails with
// UnsafeEntry after placing the rest). Item lists reach 7zz through list
// files, so any number of names can be chosen. On failure or cancel the
// staging folder is removed; entries already moved into place stay.
Foundation::Result<Foundation::Void, Foundation::ErrorPtr>
sevenZipExtract(const SevenZipExtraction& extraction, const SevenZipControl& control);

struct SevenZipCompression {
    std::vector<std::string> items;     // absolute paths; each becomes a top entry
    std::string archivePath;            // must not exist yet
    int level = 5;                      // 7zz's -mx, 0...9
    std::optional<std::string> passphrase; // AES-256
    bool encryptHeader = false;         // -mhe=on; needs a passphrase
    bool ignoreHiddenFiles = false;     // leaves out every name starting with "."
};

// Writes a 7z archive (LZMA2, all cores, symbolic links stored as links).
// Leaves nothing at archivePath when it fails or is cancelled.
Foundation::Result<Foundation::Void, Foundation::ErrorPtr>
sevenZipCompress(const SevenZipCompression& compression, const SevenZipControl& control);

} // namespace Brackwen
