#include "Brackwen/ZODArchiveModel.h"

#include <vector>

const std::string& ZODArchiveModel::typeDescription() const
{
    static const std::string none;
    return typeDescription_ ? *typeDescription_ : none;
}

std::string ZODArchiveModel::normalizedPath() const
{
    std::vector<const ZODArchiveModel*> chain;
    for (const ZODArchiveModel* entry = this; entry;) {
        auto up = entry->parent_.lock();
        if (!up)
            break; // the root contributes no component
        chain.push_back(entry);
        entry = up.get();
    }
    std::string path;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (!path.empty())
            path += '/';
        path += (*it)->name_;
    }
    return path;
}

ZODValue ZODArchiveModel::valueForKey(const std::string& key) const
{
    if (key == "name")
        return name_;
    if (key == "size")
        return size_;
    if (key == "modificationTime")
        return modificationTime_ ? ZODValue(*modificationTime_) : ZODValue();
    if (key == "accessTime")
        return accessTime_ ? ZODValue(*accessTime_) : ZODValue();
    if (key == "typeDescription")
        return typeDescription();
    if (key == "normalizedPath")
        return normalizedPath();
    if (key == "isDirectory")
        return isDirectory();
    return {};
}

ZODValue ZODArchiveDirectory::valueForKey(const std::string& key) const
{
    if (key == "itemCount")
        return itemCount_;
    return ZODArchiveModel::valueForKey(key);
}
