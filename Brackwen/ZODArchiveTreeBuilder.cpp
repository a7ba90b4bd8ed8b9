#include "Brackwen/ZODArchiveTreeBuilder.h"

#include "Brackwen/EntryKinds.h"
#include "Brackwen/EntryNames.h"

ZODArchiveTreeBuilder::ZODArchiveTreeBuilder(std::string rootName, EncodingQuestion question)
    : root_(std::make_shared<ZODArchiveDirectory>()), question_(std::move(question))
{
    root_->isRoot_ = true;
    root_->name_ = std::move(rootName);
    root_->typeDescription_ = Brackwen::kindOfDirectory();
    directories_.emplace(std::string(), root_.get());
}

void ZODArchiveTreeBuilder::setName(ZODArchiveModel& entry, std::string_view raw)
{
    if (Foundation::isValidUTF8(raw)) {
        entry.name_.assign(raw);
        return;
    }
    if (!asked_) {
        asked_ = true;
        if (question_)
            encoding_ = question_(std::string(rawPath_));
    }
    entry.name_ = Brackwen::decodeEntryName(raw, encoding_);
    entry.rawName_.assign(raw);
}

ZODArchiveDirectory* ZODArchiveTreeBuilder::directoryFor(size_t count)
{
    std::string_view key(key_.data(), count == 0 ? 0 : ends_[count - 1]);
    if (auto it = directories_.find(key); it != directories_.end())
        return it->second;
    ZODArchiveDirectory* parent = directoryFor(count - 1);
    auto directory = std::make_shared<ZODArchiveDirectory>();
    directory->parent_ = std::static_pointer_cast<ZODArchiveDirectory>(parent->shared_from_this());
    setName(*directory, components_[count - 1]);
    directory->typeDescription_ = Brackwen::kindOfDirectory();
    ZODArchiveDirectory* raw = directory.get();
    parent->directories_.push_back(std::move(directory));
    directories_.emplace(std::string(key), raw);
    return raw;
}

void ZODArchiveTreeBuilder::add(std::string_view rawPath, bool isDirectory, int64_t size,
                                std::optional<ZODDate> modificationTime, std::optional<ZODDate> accessTime)
{
    rawPath_ = rawPath;
    Brackwen::splitEntryPath(rawPath, components_);
    if (components_.empty())
        return;
    key_.clear();
    ends_.clear();
    for (auto part : components_) {
        if (!key_.empty())
            key_ += '/';
        key_.append(part);
        ends_.push_back(key_.size());
    }
    // Names point into the key from here on.
    size_t offset = 0;
    for (size_t i = 0; i < components_.size(); ++i) {
        components_[i] = std::string_view(key_).substr(offset, ends_[i] - offset);
        offset = ends_[i] + 1;
    }
    const size_t count = components_.size();
    if (isDirectory) {
        ZODArchiveDirectory* directory = directoryFor(count);
        directory->modificationTime_ = modificationTime;
        directory->accessTime_ = accessTime;
        return;
    }
    ZODArchiveDirectory* parent = directoryFor(count - 1);
    auto file = std::make_shared<ZODArchiveFile>();
    file->parent_ = std::static_pointer_cast<ZODArchiveDirectory>(parent->shared_from_this());
    setName(*file, components_.back());
    file->size_ = size;
    file->modificationTime_ = modificationTime;
    file->accessTime_ = accessTime;
    file->typeDescription_ = Brackwen::kindOfFile(file->name_);
    parent->files_.push_back(std::move(file));
}

ZODArchiveDirectoryPtr ZODArchiveTreeBuilder::finish()
{
    directories_.clear();
    // Post-order without recursion: archive paths may nest arbitrarily deep.
    std::vector<std::pair<ZODArchiveDirectory*, size_t>> stack{{root_.get(), 0}};
    while (!stack.empty()) {
        auto& [directory, next] = stack.back();
        if (next < directory->directories_.size()) {
            ZODArchiveDirectory* child = directory->directories_[next++].get();
            stack.emplace_back(child, 0);
            continue;
        }
        int64_t size = 0;
        int64_t items = static_cast<int64_t>(directory->files_.size() + directory->directories_.size());
        for (const auto& f : directory->files_)
            size += f->size_;
        for (const auto& d : directory->directories_) {
            size += d->size_;
            items += d->itemCount_;
        }
        directory->size_ = size;
        directory->itemCount_ = items;
        directory->files_.shrink_to_fit();
        directory->directories_.shrink_to_fit();
        stack.pop_back();
    }
    return std::move(root_);
}
