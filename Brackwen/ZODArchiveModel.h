#pragma once
// The analysed tree of an archive: directories and files, immutable once
// the analysis has finished, readable from any thread. Entries are shared
// objects; a directory holds its children, a child holds its parent weakly.

#include <any>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

class ZODArchiveDirectory;
class ZODArchiveFile;

using ZODDate = std::chrono::system_clock::time_point;

// A value read by key, for sorting and table bindings.
using ZODValue = std::variant<std::monostate, std::string, int64_t, bool, ZODDate>;

class ZODArchiveModel : public std::enable_shared_from_this<ZODArchiveModel> {
public:
    virtual ~ZODArchiveModel() = default;

    // None at the root.
    std::shared_ptr<ZODArchiveDirectory> parent() const { return parent_.lock(); }
    // The decoded name (UTF-8) as shown and as written to disk.
    const std::string& name() const { return name_; }
    // The entry's name bytes as stored in the archive: its identity.
    const std::string& rawName() const { return rawName_.empty() ? name_ : rawName_; }
    int64_t size() const { return size_; }
    std::optional<ZODDate> modificationTime() const { return modificationTime_; }
    std::optional<ZODDate> accessTime() const { return accessTime_; }
    const std::string& typeDescription() const;
    // The path from the root, components joined by "/", no leading slash;
    // empty for the root.
    std::string normalizedPath() const;

    virtual bool isDirectory() const = 0;

    // Keys: "name", "size", "modificationTime", "accessTime",
    // "typeDescription", "normalizedPath", "itemCount" (directories),
    // "isDirectory". Unknown keys read as none.
    virtual ZODValue valueForKey(const std::string& key) const;

    // Room for a value that a caller attaches to the entry (one slot, owned
    // strongly by the entry). Not synchronised: the caller keeps it on one thread.
    std::any& attachedValue() { return attached_; }

protected:
    friend class ZODArchiveTreeBuilder;
    std::weak_ptr<ZODArchiveDirectory> parent_;
    std::string name_;
    std::string rawName_; // empty when it equals name_
    int64_t size_ = 0;
    std::optional<ZODDate> modificationTime_;
    std::optional<ZODDate> accessTime_;
    const std::string* typeDescription_ = nullptr; // shared per kind
    std::any attached_;
};

class ZODArchiveFile final : public ZODArchiveModel {
public:
    bool isDirectory() const override { return false; }
};

class ZODArchiveDirectory final : public ZODArchiveModel {
public:
    bool isDirectory() const override { return true; }
    bool isRoot() const { return parent_.expired() && isRoot_; }
    const std::vector<std::shared_ptr<ZODArchiveDirectory>>& directories() const { return directories_; }
    const std::vector<std::shared_ptr<ZODArchiveFile>>& files() const { return files_; }
    // Every entry below this directory, at any depth.
    int64_t itemCount() const { return itemCount_; }

    ZODValue valueForKey(const std::string& key) const override;

private:
    friend class ZODArchiveTreeBuilder;
    bool isRoot_ = false;
    std::vector<std::shared_ptr<ZODArchiveDirectory>> directories_;
    std::vector<std::shared_ptr<ZODArchiveFile>> files_;
    int64_t itemCount_ = 0;
};

using ZODArchiveModelPtr = std::shared_ptr<ZODArchiveModel>;
using ZODArchiveDirectoryPtr = std::shared_ptr<ZODArchiveDirectory>;
using ZODArchiveFilePtr = std::shared_ptr<ZODArchiveFile>;
