#pragma once
// The older intent machinery that shortcuts migrate from: intents whose
// properties the runtime stores by name, responses with a code and a user
// activity, a keyed coder, intent files and enumeration resolution results.

#include <QMetaType>
#include <QUrl>
#include <QVariant>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Intents {

struct INFile {
    QUrl fileURL;
    std::string filename;
    bool operator==(const INFile&) const = default;
};

// A hand-off record attached to a response.
struct UserActivity {
    std::string activityType;
};

// A keyed archive of property values, what an intent is encoded into and
// restored from.
class Coder {
public:
    void encodeObject(const std::string& key, QVariant value) { values_[key] = std::move(value); }
    QVariant decodeObject(const std::string& key) const;
    const std::map<std::string, QVariant>& values() const { return values_; }

private:
    std::map<std::string, QVariant> values_;
};

// The runtime's store of dynamic properties, by name. Typed reads give
// nothing for a property never set (or set to nothing).
class DynamicProperties {
public:
    QVariant valueForKey(const std::string& key) const;
    void setValueForKey(const std::string& key, QVariant value);

    template <class T>
    std::optional<T> value(const std::string& key) const
    {
        QVariant v = valueForKey(key);
        if (!v.isValid() || !v.canConvert<T>())
            return std::nullopt;
        return v.value<T>();
    }
    template <class T>
    void setValue(const std::string& key, const std::optional<T>& value)
    {
        setValueForKey(key, value ? QVariant::fromValue(*value) : QVariant());
    }

protected:
    DynamicProperties() = default;
    explicit DynamicProperties(const Coder& coder) : values_(coder.values()) {}
    void encodeProperties(Coder& coder) const;

private:
    std::map<std::string, QVariant> values_;
};

class INIntent : public DynamicProperties {
public:
    INIntent() = default;
    explicit INIntent(const Coder& coder) : DynamicProperties(coder) {}
    virtual ~INIntent() = default;
    void encodeWithCoder(Coder& coder) const { encodeProperties(coder); }
};

class INIntentResponse : public DynamicProperties {
public:
    INIntentResponse() = default;
    explicit INIntentResponse(const Coder& coder) : DynamicProperties(coder) {}
    virtual ~INIntentResponse() = default;
    std::shared_ptr<UserActivity> userActivity() const { return userActivity_; }
    void setUserActivity(std::shared_ptr<UserActivity> activity) { userActivity_ = std::move(activity); }
    void encodeWithCoder(Coder& coder) const { encodeProperties(coder); }

private:
    std::shared_ptr<UserActivity> userActivity_;
};

struct INEnumResolutionResult {
    enum class Kind { success, confirmationRequired };
    Kind kind;
    int64_t value;
    static INEnumResolutionResult successWithResolvedValue(int64_t v) { return {Kind::success, v}; }
    static INEnumResolutionResult confirmationRequiredWithValueToConfirm(int64_t v) { return {Kind::confirmationRequired, v}; }
};

} // namespace Intents

Q_DECLARE_METATYPE(Intents::INFile)
Q_DECLARE_METATYPE(std::vector<Intents::INFile>)
