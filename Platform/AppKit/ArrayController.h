#pragma once
// Stand-in for the platform's array controller and key-value access: a list
// of objects (the content) and the same list as a table shows it (the
// arranged objects). Tables bind their rows to the arranged objects and
// their cell texts to "objectValue.<key>" paths.

#include "Platform/AppKit/TableSortDescriptor.h"

#include <QVariant>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace AppKit {

// An object whose properties can be read by key (name, size, …).
class KeyValueObject {
public:
    virtual ~KeyValueObject() = default;
    // An invalid variant for an unknown key.
    virtual QVariant valueForKey(const std::string& key) const = 0;
};

using KeyValueObjectPtr = std::shared_ptr<KeyValueObject>;

// Reads a key path: "objectValue.name" on a table cell reads "name" of the
// row's object; a plain key reads that key.
QVariant valueForKeyPath(const KeyValueObject& object, const std::string& keyPath);

class ArrayController {
public:
    explicit ArrayController(std::vector<KeyValueObjectPtr> content = {});

    const std::vector<KeyValueObjectPtr>& content() const { return content_; }
    void setContent(std::vector<KeyValueObjectPtr> content);

    // The content in the order of the sort descriptors (the content's order
    // when there are none).
    const std::vector<KeyValueObjectPtr>& arrangedObjects() const { return arranged_; }

    const std::vector<SortDescriptor>& sortDescriptors() const { return sortDescriptors_; }
    void setSortDescriptors(std::vector<SortDescriptor> descriptors);

    void insert(const KeyValueObjectPtr& object, std::size_t atArrangedIndex);
    void remove(std::size_t atArrangedIndex);

    // Observers of the arranged objects (bound tables reload on change).
    using Observer = std::function<void()>;
    int addObserver(Observer observer);
    void removeObserver(int token);

private:
    void rearrange();

    std::vector<KeyValueObjectPtr> content_;
    std::vector<KeyValueObjectPtr> arranged_;
    std::vector<SortDescriptor> sortDescriptors_;
    std::vector<std::pair<int, Observer>> observers_;
    int nextToken_ = 1;
};

using ArrayControllerPtr = std::shared_ptr<ArrayController>;

} // namespace AppKit
