#include "Brackwen/SevenZipBackend.h"

#include "Brackwen/EngineErrors.h"
#include "Brackwen/OwnedFolders.h"
#include "Brackwen/SevenZipPlacement.h"
#include "Brackwen/SevenZipProcess.h"
#include "Brackwen/SevenZipSelection.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace Brackwen {

namespace {

using VoidResult = Foundation::Result<Foundation::Void, Foundation::ErrorPtr>;

bool contains(const std::string& text, const char* needle) { return text.find(needle) != std::string::npos; }

// The first line 7zz flagged as an error, for the user information.
std::string firstMessage(const std::string& errorOutput)
{
    std::istringstream lines(errorOutput);
    std::string line;
    std::string first;
    while (std::getline(lines, line)) {
        if (line.empty())
            continue;
        if (first.empty())
            first = line;
        if (line.rfind("ERROR:", 0) == 0 || line.rfind("WARNING:", 0) == 0)
            return line;
    }
    return first;
}

// Maps how 7zz ended onto an engine error; none when it succeeded.
Foundation::ErrorPtr errorFor(const ProcessOutcome& outcome, bool hadPassphrase, const std::string& path,
                              const std::string& output = {})
{
    if (outcome.cancelled)
        return ZODArchiverMakeError(ZODArchiverErrorCancelled);
    if (outcome.exitCode == 0)
        return nullptr;
    const std::string& err = outcome.errorOutput;
    int64_t code = ZODArchiverErrorUnknown;
    if (contains(err, "Wrong password") || contains(err, "Break signaled")
        || contains(output, "Enter password"))
        code = hadPassphrase ? ZODArchiverErrorWrongPassphrase : ZODArchiverErrorPassphraseRequired;
    else if (contains(err, "Dangerous link path"))
        code = ZODArchiverErrorUnsafeEntry;
    else if (contains(err, "Missing volume") || contains(err, "Unexpected end of archive"))
        code = ZODArchiverErrorUnexpectedEnd;
    else if (contains(err, "Can't open as archive") || contains(err, "Cannot open the file as archive"))
        code = ZODArchiverErrorUnsupportedFormat;
    else if (contains(err, "Data Error") || contains(err, "CRC Failed") || contains(err, "Headers Error"))
        code = ZODArchiverErrorDamaged;
    else if (contains(err, "No space left") || contains(err, "not enough space") || contains(err, "Disk quota"))
        code = ZODArchiverErrorDiskFull;
    else if (contains(err, "File too large") || outcome.signal == SIGXFSZ)
        code = ZODArchiverErrorCannotWrite;
    else if (contains(err, "No such file") || contains(err, "cannot find"))
        code = ZODArchiverErrorFileNotFound;
    else if (contains(err, "Permission denied"))
        code = ZODArchiverErrorFileNotReadable;
    return ZODArchiverMakeError(code, {{Foundation::NSFilePathErrorKey, path},
                                       {ZODArchiverUnderlyingMessageKey, firstMessage(err)}});
}

Foundation::ErrorPtr missingBackend()
{
    return ZODArchiverMakeError(ZODArchiverErrorBackendMissing, {{Foundation::NSFilePathErrorKey, std::string("7zz")}});
}

int64_t parseTime(const std::string& text)
{
    std::tm tm{};
    if (!strptime(text.c_str(), "%Y-%m-%d %H:%M:%S", &tm))
        return 0;
    // The listing runs in UTC (see sevenZipList).
    return int64_t(timegm(&tm));
}

uint32_t parseMode(const std::string& attributes, bool* isDirectory, bool* isLink)
{
    // "D drwxr-xr-x", "A -rw-r--r--", or Windows letters alone.
    std::string letters = attributes.substr(0, attributes.find(' '));
    *isDirectory = *isDirectory || contains(letters, "D");
    size_t space = attributes.find(' ');
    if (space == std::string::npos || attributes.size() < space + 11)
        return 0;
    std::string unix = attributes.substr(space + 1, 10);
    uint32_t mode = 0;
    switch (unix[0]) {
    case 'd': mode = S_IFDIR; *isDirectory = true; break;
    case 'l': mode = S_IFLNK; *isLink = true; break;
    case '-': mode = S_IFREG; break;
    default: return 0;
    }
    static const uint32_t bits[9] = {S_IRUSR, S_IWUSR, S_IXUSR, S_IRGRP, S_IWGRP, S_IXGRP, S_IROTH, S_IWOTH, S_IXOTH};
    for (int i = 0; i < 9; ++i)
        if (unix[size_t(i) + 1] != '-')
            mode |= bits[i];
    return mode;
}

// Reads `7zz l -slt` output line by line: archive properties first, then
// one block of "Key = Value" lines per entry after the "----------" line.
class ListingParser {
public:
    void feed(std::string_view chunk)
    {
        pending_.append(chunk);
        size_t start = 0;
        for (size_t nl; (nl = pending_.find('\n', start)) != std::string::npos; start = nl + 1)
            line(std::string_view(pending_).substr(start, nl - start));
        pending_.erase(0, start);
        if (contains(pending_, "Enter password"))
            askedPassword = true;
    }
    SevenZipListing finish()
    {
        if (!pending_.empty())
            line(pending_);
        flush();
        return std::move(listing_);
    }
    bool askedPassword = false;

private:
    void line(std::string_view l)
    {
        if (!l.empty() && l.back() == '\r')
            l.remove_suffix(1);
        if (l.find("Enter password") != std::string_view::npos) {
            askedPassword = true;
            return;
        }
        if (l == "----------") {
            inEntries_ = true;
            return;
        }
        size_t eq = l.find(" = ");
        if (eq == std::string_view::npos) {
            if (l.empty())
                flush();
            return;
        }
        std::string key(l.substr(0, eq));
        std::string value(l.substr(eq + 3));
        if (!inEntries_) {
            if (key == "Type" && listing_.type.empty())
                listing_.type = value;
            return;
        }
        if (key == "Path") {
            flush();
            current_ = SevenZipEntry{};
            current_->path = value;
        } else if (!current_) {
            return;
        } else if (key == "Size") {
            current_->size = std::atoll(value.c_str());
        } else if (key == "Packed Size") {
            current_->packedSize = value.empty() ? -1 : std::atoll(value.c_str());
        } else if (key == "Modified") {
            current_->modificationTime = parseTime(value);
        } else if (key == "Attributes") {
            current_->mode = parseMode(value, &current_->isDirectory, &current_->isSymbolicLink);
        } else if (key == "Folder") {
            current_->isDirectory = current_->isDirectory || value == "+";
        } else if (key == "Encrypted") {
            current_->isEncrypted = value == "+";
        } else if (key == "Symbolic Link" && !value.empty()) {
            current_->isSymbolicLink = true;
        }
    }
    void flush()
    {
        if (current_)
            listing_.entries.push_back(std::move(*current_));
        current_.reset();
    }

    std::string pending_;
    bool inEntries_ = false;
    std::optional<SevenZipEntry> current_;
    SevenZipListing listing_;
};

std::optional<std::string> usablePassphrase(const std::optional<std::string>& p)
{
    if (p && !p->empty())
        return p;
    return std::nullopt;
}

} // namespace

std::string sevenZipProgram()
{
    if (const char* forced = std::getenv("KELVORA_7ZZ"))
        return ::access(forced, F_OK) == 0 ? std::string(forced) : std::string();
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        std::string candidate = (dir.empty() ? "." : dir) + "/7zz";
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

Foundation::Result<SevenZipListing, Foundation::ErrorPtr>
sevenZipList(const std::vector<std::string>& volumePaths, const std::optional<std::string>& passphrase,
             const SevenZipControl& control)
{
    using R = Foundation::Result<SevenZipListing, Foundation::ErrorPtr>;
    std::string program = sevenZipProgram();
    if (program.empty())
        return R::failure(missingBackend());
    if (volumePaths.empty())
        return R::failure(ZODArchiverMakeError(ZODArchiverErrorInvalidArgument));

    auto pw = usablePassphrase(passphrase);
    ListingParser parser;
    std::string outputHead;
    ProcessRun run{program,
                   {"l", "-slt", "-sccUTF-8", "-bsp0", "-bse2", "--", volumePaths.front()},
                   pw,
                   control.isCancelled,
                   [&](std::string_view chunk) { parser.feed(chunk); }};
    // 7z times are universal, but 7zz prints them shifted by the zone's
    // offset of today, not of the entry's date: an hour off across summer
    // time. In UTC it prints them as stored (and, unlike without TZ, glibc
    // does not look at /etc/localtime again for each one).
    run.timeZone = "UTC0";
    auto ran = runProcess(run);
    if (ran.isFailure())
        return R::failure(ran.error());
    auto listing = parser.finish();
    if (auto error = errorFor(ran.value(), pw.has_value(), volumePaths.front(),
                              parser.askedPassword ? "Enter password" : ""))
        return R::failure(error);
    listing.headersEncrypted = parser.askedPassword;
    return R::success(std::move(listing));
}

namespace {

Foundation::ErrorPtr stagingError(int err, const std::string& path)
{
    return ZODArchiverMakeError(err == ENOSPC || err == EDQUOT ? ZODArchiverErrorDiskFull : ZODArchiverErrorCannotWrite,
                                {{Foundation::NSFilePathErrorKey, path},
                                 {ZODArchiverUnderlyingMessageKey, std::string(std::strerror(err))}});
}

// Makes the folders of `relative` below `root` that 7zz did not; false when
// one of them is taken by something that is not a folder.
bool makeStagedFolders(const std::string& root, const std::string& relative)
{
    std::string path = root;
    size_t start = 0;
    for (size_t slash; (slash = relative.find('/', start)) != std::string::npos; start = slash + 1) {
        path += "/" + relative.substr(start, slash - start);
        struct stat st;
        if (::lstat(path.c_str(), &st) == 0) {
            if (!S_ISDIR(st.st_mode))
                return false;
        } else if (::mkdir(path.c_str(), 0755) != 0) {
            return false;
        }
    }
    return true;
}

// Makes the selected links in the staged tree from the targets 7zz wrote
// out, one after another in archive order. Links are vetted later, with
// everything else, by the placement.
Foundation::ErrorPtr stageLinks(const std::string& program, const SevenZipExtraction& extraction,
                                const std::optional<std::string>& passphrase, const SevenZipSelection& selection,
                                const std::string& staging, const std::string& out, const SevenZipControl& control)
{
    std::vector<std::string> args = {"x", "-so", "-sccUTF-8", "-scsUTF-8", "-bso0", "-bsp0", "-bse2", "-spd"};
    std::vector<std::string> names;
    for (const auto* link : selection.links)
        names.push_back(link->path);
    if (!appendNameSwitches(args, "-i", staging + "/links", names))
        return stagingError(errno, staging);
    if (!appendNameSwitches(args, "-x", staging + "/below-links", selection.linkExcluded))
        return stagingError(errno, staging);
    args.push_back("--");
    args.push_back(extraction.volumePaths.front());

    std::string targets;
    ProcessRun run{program, args, passphrase, control.isCancelled,
                   [&](std::string_view chunk) { targets.append(chunk); }};
    auto ran = runProcess(run);
    if (ran.isFailure())
        return ran.error();
    if (auto error = errorFor(ran.value(), passphrase.has_value(), extraction.volumePaths.front()))
        return error;

    size_t offset = 0;
    for (const auto* link : selection.links) {
        const size_t size = size_t(std::max<int64_t>(link->size, 0));
        if (offset + size > targets.size())
            return ZODArchiverMakeError(ZODArchiverErrorDamaged,
                                        {{Foundation::NSFilePathErrorKey, extraction.volumePaths.front()}});
        const std::string target = targets.substr(offset, size);
        offset += size;
        const std::string relative = cleanedEntryPath(link->path);
        if (relative.empty() || target.empty() || target.find('\0') != std::string::npos
            || !makeStagedFolders(out, relative))
            continue;
        const std::string path = out + "/" + relative;
        const std::string parent = path.substr(0, path.rfind('/'));
        struct stat parentStat, existing;
        const bool hadParent = ::lstat(parent.c_str(), &parentStat) == 0;
        if (::lstat(path.c_str(), &existing) == 0) {
            if (S_ISDIR(existing.st_mode))
                continue;
            ::unlink(path.c_str());
        }
        if (::symlink(target.c_str(), path.c_str()) != 0)
            return stagingError(errno, path);
        timespec times[2] = {{link->modificationTime, 0}, {link->modificationTime, 0}};
        ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
        if (hadParent) {
            timespec parentTimes[2] = {parentStat.st_atim, parentStat.st_mtim};
            ::utimensat(AT_FDCWD, parent.c_str(), parentTimes, AT_SYMLINK_NOFOLLOW);
        }
    }
    return nullptr;
}

} // namespace

VoidResult sevenZipExtract(const SevenZipExtraction& extraction, const SevenZipControl& control)
{
    std::string program = sevenZipProgram();
    if (program.empty())
        return VoidResult::failure(missingBackend());
    if (extraction.volumePaths.empty())
        return VoidResult::failure(ZODArchiverMakeError(ZODArchiverErrorInvalidArgument));

    // Names and the folder are joined to staging and destination paths: no
    // component may climb out of them.
    auto plainName = [](const std::string& n) {
        return !n.empty() && n != "." && n != ".." && n.find('/') == std::string::npos;
    };
    for (const auto& name : extraction.itemNames)
        if (!plainName(name))
            return VoidResult::failure(ZODArchiverMakeError(ZODArchiverErrorUnsafeEntry,
                                                            {{Foundation::NSFilePathErrorKey, name}}));
    for (const auto& part : std::filesystem::path(extraction.archiveFolder))
        if (part == "..")
            return VoidResult::failure(ZODArchiverMakeError(
                ZODArchiverErrorUnsafeEntry, {{Foundation::NSFilePathErrorKey, extraction.archiveFolder}}));

    auto pw = usablePassphrase(extraction.passphrase);
    auto listed = sevenZipList(extraction.volumePaths, pw, control);
    if (listed.isFailure())
        return VoidResult::failure(listed.error());
    if (control.listed)
        control.listed(listed.value());
    const std::string folder = cleanedEntryPath(extraction.archiveFolder);
    const SevenZipSelection selection = selectSevenZipEntries(listed.value(), folder, extraction.itemNames);

    removeAbandonedFolders(extraction.destination);
    const std::string staging = makeOwnedFolder(extraction.destination, "staging");
    if (staging.empty())
        return VoidResult::failure(stagingError(errno, extraction.destination));
    struct Cleanup {
        std::string path;
        ~Cleanup()
        {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
    } cleanup{staging};
    const std::string out = staging + "/out";
    if (::mkdir(out.c_str(), 0700) != 0)
        return VoidResult::failure(stagingError(errno, extraction.destination));

    Foundation::ErrorPtr unsafeError;
    if (selection.extractEverything || !selection.extracted.empty()) {
        std::vector<std::string> args = {"x", "-y", "-sccUTF-8", "-scsUTF-8", "-bso0", "-bsp1", "-bse2", "-spd",
                                         "-o" + out};
        if (!appendNameSwitches(args, "-i", staging + "/chosen", selection.extracted)
            || !appendNameSwitches(args, "-x", staging + "/left-out", selection.excluded))
            return VoidResult::failure(stagingError(errno, extraction.destination));
        args.push_back("--");
        args.push_back(extraction.volumePaths.front());

        SevenZipProgressParser progress;
        ProcessRun run{program, args, pw, control.isCancelled, [&](std::string_view chunk) {
                           if (auto f = progress.feed(chunk); f && control.progress)
                               control.progress(*f);
                       }};
        auto ran = runProcess(run);
        if (ran.isFailure())
            return VoidResult::failure(ran.error());
        auto error = errorFor(ran.value(), pw.has_value(), extraction.volumePaths.front());
        // A link the listing did not show as one: 7zz refuses it and goes
        // on; the rest is placed and the refusal reported at the end.
        if (error && error->code() != ZODArchiverErrorUnsafeEntry)
            return VoidResult::failure(error);
        unsafeError = error;
    }
    if (!selection.links.empty()) {
        if (auto error = stageLinks(program, extraction, pw, selection, staging, out, control))
            return VoidResult::failure(error);
    }

    const std::string root = out + (folder.empty() ? "" : "/" + folder);
    std::vector<std::string> names = extraction.itemNames;
    if (names.empty()) {
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(root, ec))
            names.push_back(e.path().filename().string());
    }
    SevenZipPlacement placement(extraction.destination, extraction.conflictHandler, control.isCancelled);
    for (const auto& name : names) {
        // A chosen name whose only entries climb out has nothing staged.
        struct stat st;
        if (::lstat((root + "/" + name).c_str(), &st) != 0)
            continue;
        if (auto placeError = placement.place(root + "/" + name, name))
            return VoidResult::failure(placeError);
    }
    if (!selection.unsafe.empty())
        return VoidResult::failure(engineError(ZODArchiverErrorUnsafeEntry, selection.unsafe.front(),
                                               "The entry's path leaves the destination folder."));
    if (!placement.refusedLinks().empty())
        return VoidResult::failure(engineError(ZODArchiverErrorUnsafeEntry, placement.refusedLinks().front(),
                                               "The link's target leaves the destination folder."));
    if (unsafeError)
        return VoidResult::failure(unsafeError);
    if (!selection.unmatched.empty())
        return VoidResult::failure(ZODArchiverMakeError(
            ZODArchiverErrorItemNotFound, {{Foundation::NSFilePathErrorKey, selection.unmatched.front()}}));
    return VoidResult::success({});
}

VoidResult sevenZipCompress(const SevenZipCompression& compression, const SevenZipControl& control)
{
    std::string program = sevenZipProgram();
    if (program.empty())
        return VoidResult::failure(missingBackend());
    auto pw = usablePassphrase(compression.passphrase);
    if (compression.encryptHeader && !pw)
        return VoidResult::failure(ZODArchiverMakeError(ZODArchiverErrorPassphraseRequired));

    std::vector<std::string> args = {"a", "-t7z", "-m0=LZMA2", "-mmt=on", "-mx=" + std::to_string(compression.level),
                                     "-snl", "-sccUTF-8", "-scsUTF-8", "-bso0", "-bsp1", "-bse2", "-spd"};
    if (pw)
        args.push_back("-p");
    if (pw && compression.encryptHeader)
        args.push_back("-mhe=on");

    // Hidden names are left out by exact path (wildcards are off, so names
    // with '*' or '?' stay literal): the walk collects them first.
    std::vector<std::string> items, excluded;
    for (std::string item : compression.items) {
        while (item.size() > 1 && item.back() == '/')
            item.pop_back();
        std::filesystem::path p(item);
        std::string top = p.filename().string();
        if (compression.ignoreHiddenFiles && !top.empty() && top.front() == '.')
            continue;
        items.push_back(item);
        if (!compression.ignoreHiddenFiles)
            continue;
        std::error_code ec;
        std::filesystem::recursive_directory_iterator it(p, std::filesystem::directory_options::none, ec), end;
        for (; !ec && it != end; it.increment(ec)) {
            std::string name = it->path().filename().string();
            if (name.front() == '.') {
                excluded.push_back(top + '/' + std::filesystem::relative(it->path(), p).string());
                it.disable_recursion_pending();
            }
        }
    }
    if (items.empty())
        return VoidResult::failure(ZODArchiverMakeError(ZODArchiverErrorInvalidArgument));
    std::filesystem::path archive(compression.archivePath);
    // Items and exclusions go through list files: any number of them fits.
    const std::string parent = archive.parent_path().empty() ? std::string(".") : archive.parent_path().string();
    const std::string lists = makeOwnedFolder(parent, "lists");
    if (lists.empty())
        return VoidResult::failure(stagingError(errno, parent));
    struct Cleanup {
        std::string path;
        ~Cleanup()
        {
            std::error_code ec;
            std::filesystem::remove_all(path, ec);
        }
    } cleanup{lists};
    if (!appendNameSwitches(args, "-i", lists + "/items", items)
        || !appendNameSwitches(args, "-x", lists + "/hidden", excluded))
        return VoidResult::failure(stagingError(errno, lists));
    args.push_back("--");
    args.push_back(compression.archivePath);

    SevenZipProgressParser progress;
    ProcessRun run{program, args, pw, control.isCancelled, [&](std::string_view chunk) {
                       if (auto f = progress.feed(chunk); f && control.progress)
                           control.progress(*f);
                   }};
    auto ran = runProcess(run);
    Foundation::ErrorPtr error = ran.isFailure() ? ran.error()
                                                 : errorFor(ran.value(), pw.has_value(), compression.archivePath);
    if (error) {
        // Exit code 1 is a warning for a source 7zz could not read: still a failure.
        std::error_code ec;
        std::filesystem::remove(archive, ec);
        std::filesystem::remove(compression.archivePath + ".tmp", ec);
        if (!ran.isFailure() && !ran.value().cancelled && ran.value().exitCode == 1
            && error->code() == ZODArchiverErrorUnknown)
            error = ZODArchiverMakeError(ZODArchiverErrorFileNotReadable, error->userInfo());
        return VoidResult::failure(error);
    }
    return VoidResult::success({});
}

} // namespace Brackwen
