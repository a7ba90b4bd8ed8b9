#pragma once
// Stand-in for the platform's error object: a domain, a code and user
// information. Errors are shared immutable objects; identity is equality.

#include <any>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace Foundation {

using UserInfo = std::map<std::string, std::any>;

// User-information keys with a meaning of their own.
inline constexpr const char* NSLocalizedDescriptionKey = "NSLocalizedDescription";
inline constexpr const char* NSFilePathErrorKey = "NSFilePath";
inline constexpr const char* NSUnderlyingErrorKey = "NSUnderlyingError";

class Error;
using ErrorPtr = std::shared_ptr<const Error>;

class Error {
public:
    Error(std::string domain, int64_t code, UserInfo userInfo = {});

    static ErrorPtr make(std::string domain, int64_t code, UserInfo userInfo = {});

    const std::string& domain() const { return domain_; }
    int64_t code() const { return code_; }
    const UserInfo& userInfo() const { return userInfo_; }

    // The description in the user information when there is one, else the
    // text that the domain's provider gives for the code, else a generic text.
    std::string localizedDescription() const;

    // A string value of the user information, empty when absent or not a string.
    std::string stringForKey(const std::string& key) const;

    // Lets a domain supply the description of its codes (registered once, at
    // start-up, by the layer that owns the domain).
    using DescriptionProvider = std::function<std::string(int64_t code, const UserInfo&)>;
    static void registerDescriptionProvider(const std::string& domain, DescriptionProvider provider);

private:
    std::string domain_;
    int64_t code_;
    UserInfo userInfo_;
};

// Domains of the platform's own errors.
inline constexpr const char* NSPOSIXErrorDomain = "NSPOSIXErrorDomain";
inline constexpr const char* NSCocoaErrorDomain = "NSCocoaErrorDomain";

// An error of the POSIX domain for errno, naming the path concerned.
ErrorPtr posixError(int errnoValue, const std::string& path = {});

} // namespace Foundation
