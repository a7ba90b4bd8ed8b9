#pragma once
// Stand-in for the platform's defaults: a registration domain kept in memory
// over a persistent domain stored in a Qt settings file, one file per domain:
//   standard defaults  $XDG_CONFIG_HOME/<application name>.conf
//                      (QCoreApplication::applicationName(), "kelvora" when unset)
//   suite <name>       $XDG_CONFIG_HOME/<name>.conf
// Values keep their type across processes (each is stored with a type tag).
// Every read first re-reads the file, so it sees another process's last
// write; writes reach the file at once. Thread-safe.
//
//   auto d = Foundation::UserDefaults::standard();
//   d->registerDefaults({{"NSApplicationCrashOnExceptions", true}});
//   d->setValue(true, "KEY");          // bool, integers, double, text, any QVariant
//   bool b = d->boolForKey("KEY");
//   auto suite = Foundation::UserDefaults::suite("7QXK3LM2PA.com.tarnu.Kelvora");

#include <QVariant>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

class QSettings;

namespace Foundation {

class UserDefaults {
public:
    using Registration = std::map<std::string, QVariant>;

    // The program's own defaults; made on first use, never replaced.
    static std::shared_ptr<UserDefaults> standard();

    // The defaults of a named suite, the same object for the same name in one
    // process. Null for a name the platform refuses: empty, "NSGlobalDomain",
    // or one that cannot be a file name ("/", ".", "..").
    static std::shared_ptr<UserDefaults> suite(const std::string& name);

    ~UserDefaults();
    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

    // The settings file behind this object.
    std::string filePath() const;

    // Adds to the registration domain (a key registered again takes the new
    // value). Registered values show only for keys with no stored value.
    void registerDefaults(const Registration& values);

    // The stored value, else the registered one; invalid when neither exists.
    QVariant objectForKey(const std::string& key) const;
    // A text unchanged, a number as its decimal text, a bool as "1" or "0";
    // absent for no value or any other type.
    std::optional<std::string> stringForKey(const std::string& key) const;
    // A bool, a non-zero number, or a text "YES"/"true"/"y"/"t" or a non-zero
    // number text (any case); false otherwise.
    bool boolForKey(const std::string& key) const;
    // A number (truncated), a bool, or a text that starts with a number; 0 otherwise.
    int64_t integerForKey(const std::string& key) const;
    double doubleForKey(const std::string& key) const;

    // Stores a value; an invalid QVariant removes the key.
    void setValue(const QVariant& value, const std::string& key);
    void setValue(const std::string& value, const std::string& key);
    void setValue(const char* value, const std::string& key);
    void removeObjectForKey(const std::string& key);

private:
    explicit UserDefaults(std::string filePath);
    QVariant storedValue(const std::string& key) const;

    std::string filePath_;
    mutable std::mutex mutex_;
    std::unique_ptr<QSettings> settings_;
    Registration registration_;
};

} // namespace Foundation
