#pragma once
// Stand-in for the platform's extension item: one input item of a request,
// carrying its attachments (item providers) in order.

#include "Platform/Extension/ItemProvider.h"

#include <memory>
#include <vector>

namespace Extension {

class ExtensionItem {
public:
    ExtensionItem() = default;
    explicit ExtensionItem(std::vector<ItemProviderPtr> attachments) : attachments_(std::move(attachments)) {}

    const std::vector<ItemProviderPtr>& attachments() const { return attachments_; }
    void setAttachments(std::vector<ItemProviderPtr> attachments) { attachments_ = std::move(attachments); }

private:
    std::vector<ItemProviderPtr> attachments_;
};

using ExtensionItemPtr = std::shared_ptr<ExtensionItem>;

} // namespace Extension
