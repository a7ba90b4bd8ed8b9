#include "Platform/Intents/LegacyIntents.h"

namespace Intents {

QVariant INIntent::valueForKey(const std::string& key) const
{
    auto it = values_.find(key);
    return it == values_.end() ? QVariant() : it->second;
}

void INIntent::setValueForKey(const std::string& key, QVariant value)
{
    values_[key] = std::move(value);
}

QVariant INIntentResponse::valueForKey(const std::string& key) const
{
    auto it = values_.find(key);
    return it == values_.end() ? QVariant() : it->second;
}

void INIntentResponse::setValueForKey(const std::string& key, QVariant value)
{
    values_[key] = std::move(value);
}

} // namespace Intents
