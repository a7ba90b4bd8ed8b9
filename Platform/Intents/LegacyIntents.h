#pragma once
// The older intent machinery that shortcuts migrate from: intents whose
// properties the runtime stores by name, responses with a code and a user
// activity, intent files and enumeration resolution results.

#include <QUrl>
#include <QVariant>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace Intents {

struct INFile {
    QUrl fileURL;
    std::string filename;
};

// A hand-off record attached to a response.
struct UserActivity {
    std::string activityType;
};

class INIntent {
public:
    virtual ~INIntent() = default;
    // Properties live in the intent object, by name.
    QVariant valueForKey(const std::string& key) const;
    void setValueForKey(const std::string& key, QVariant value);

private:
    std::map<std::string, QVariant> values_;
};

class INIntentResponse {
public:
    virtual ~INIntentResponse() = default;
    std::shared_ptr<UserActivity> userActivity() const { return userActivity_; }
    void setUserActivity(std::shared_ptr<UserActivity> activity) { userActivity_ = std::move(activity); }
    QVariant valueForKey(const std::string& key) const;
    void setValueForKey(const std::string& key, QVariant value);

private:
    std::shared_ptr<UserActivity> userActivity_;
    std::map<std::string, QVariant> values_;
};

struct INEnumResolutionResult {
    enum class Kind { success, confirmationRequired };
    Kind kind;
    int64_t value;
    static INEnumResolutionResult successWithResolvedValue(int64_t v) { return {Kind::success, v}; }
    static INEnumResolutionResult confirmationRequiredWithValueToConfirm(int64_t v) { return {Kind::confirmationRequired, v}; }
};

} // namespace Intents
