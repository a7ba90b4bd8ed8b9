#include "Platform/AppKit/ArrayController.h"

#include <algorithm>

namespace AppKit {

QVariant valueForKeyPath(const KeyValueObject& object, const std::string& keyPath)
{
    static const std::string prefix = "objectValue.";
    if (keyPath.rfind(prefix, 0) == 0)
        return object.valueForKey(keyPath.substr(prefix.size()));
    return object.valueForKey(keyPath);
}

ArrayController::ArrayController(std::vector<KeyValueObjectPtr> content) : content_(std::move(content))
{
    rearrange();
}

void ArrayController::setContent(std::vector<KeyValueObjectPtr> content)
{
    content_ = std::move(content);
    rearrange();
}

void ArrayController::setSortDescriptors(std::vector<SortDescriptor> descriptors)
{
    sortDescriptors_ = std::move(descriptors);
    rearrange();
}

void ArrayController::insert(const KeyValueObjectPtr& object, std::size_t atArrangedIndex)
{
    // With sort descriptors the position is decided by them; without, the
    // content follows the arranged order exactly.
    if (sortDescriptors_.empty()) {
        content_ = arranged_;
        content_.insert(content_.begin() + std::min(atArrangedIndex, content_.size()), object);
    } else {
        content_.push_back(object);
    }
    rearrange();
}

void ArrayController::remove(std::size_t atArrangedIndex)
{
    if (atArrangedIndex >= arranged_.size())
        return;
    auto victim = arranged_[atArrangedIndex];
    content_.erase(std::find(content_.begin(), content_.end(), victim));
    rearrange();
}

int ArrayController::addObserver(Observer observer)
{
    observers_.emplace_back(nextToken_, std::move(observer));
    return nextToken_++;
}

void ArrayController::removeObserver(int token)
{
    std::erase_if(observers_, [&](const auto& o) { return o.first == token; });
}

void ArrayController::rearrange()
{
    arranged_ = content_;
    sortUsingDescriptors(arranged_, sortDescriptors_);
    const auto observers = observers_;
    for (const auto& o : observers)
        o.second();
}

} // namespace AppKit
