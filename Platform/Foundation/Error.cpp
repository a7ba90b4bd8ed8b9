#include "Platform/Foundation/Error.h"

#include <cstring>
#include <mutex>

namespace Foundation {

namespace {

struct Providers {
    std::mutex mutex;
    std::map<std::string, Error::DescriptionProvider> byDomain;
};

Providers& providers()
{
    static auto* p = new Providers;
    return *p;
}

} // namespace

Error::Error(std::string domain, int64_t code, UserInfo userInfo)
    : domain_(std::move(domain)), code_(code), userInfo_(std::move(userInfo))
{
}

ErrorPtr Error::make(std::string domain, int64_t code, UserInfo userInfo)
{
    return std::make_shared<const Error>(std::move(domain), code, std::move(userInfo));
}

std::string Error::stringForKey(const std::string& key) const
{
    auto it = userInfo_.find(key);
    if (it == userInfo_.end())
        return {};
    if (auto* s = std::any_cast<std::string>(&it->second))
        return *s;
    return {};
}

std::string Error::localizedDescription() const
{
    std::string own = stringForKey(NSLocalizedDescriptionKey);
    if (!own.empty())
        return own;
    DescriptionProvider provider;
    {
        auto& p = providers();
        std::lock_guard lock(p.mutex);
        auto it = p.byDomain.find(domain_);
        if (it != p.byDomain.end())
            provider = it->second;
    }
    if (provider) {
        std::string text = provider(code_, userInfo_);
        if (!text.empty())
            return text;
    }
    if (domain_ == NSPOSIXErrorDomain)
        return std::strerror(static_cast<int>(code_));
    return "The operation couldn’t be completed. (" + domain_ + " error " + std::to_string(code_) + ".)";
}

void Error::registerDescriptionProvider(const std::string& domain, DescriptionProvider provider)
{
    auto& p = providers();
    std::lock_guard lock(p.mutex);
    p.byDomain[domain] = std::move(provider);
}

ErrorPtr posixError(int errnoValue, const std::string& path)
{
    UserInfo info;
    if (!path.empty())
        info[NSFilePathErrorKey] = path;
    return Error::make(NSPOSIXErrorDomain, errnoValue, std::move(info));
}

} // namespace Foundation
