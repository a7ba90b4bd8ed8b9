#include "Platform/Intents/LegacyIntents.h"

namespace Intents {

QVariant Coder::decodeObject(const std::string& key) const
{
    auto it = values_.find(key);
    return it == values_.end() ? QVariant() : it->second;
}

QVariant DynamicProperties::valueForKey(const std::string& key) const
{
    auto it = values_.find(key);
    return it == values_.end() ? QVariant() : it->second;
}

void DynamicProperties::setValueForKey(const std::string& key, QVariant value)
{
    if (value.isValid())
        values_[key] = std::move(value);
    else
        values_.erase(key);
}

void DynamicProperties::encodeProperties(Coder& coder) const
{
    for (const auto& [key, value] : values_)
        coder.encodeObject(key, value);
}

} // namespace Intents
