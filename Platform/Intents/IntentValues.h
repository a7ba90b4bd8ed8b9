#pragma once
// Values that automation actions take and return: files, URLs, texts,
// yes/no and enumeration cases (by raw value).

#include <QUrl>

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace Intents {

// A file handed between actions: it may carry a file location, a name and a
// content type, each optional (data from another action has no location).
struct IntentFile {
    std::optional<QUrl> fileURL;
    std::optional<std::string> filename;
    std::optional<std::string> type; // a content-type identifier

    static IntentFile fromFileURL(QUrl url) { return IntentFile{std::move(url), std::nullopt, std::nullopt}; }
    // The name shown for the file: its own name, else its location's last component.
    std::string displayText() const;
    bool operator==(const IntentFile&) const = default;
};

// One parameter's value. Enumerations hold the case's raw value as text.
using ParameterValue = std::variant<std::vector<IntentFile>, IntentFile, std::string, bool, QUrl>;

// An action's result value.
using ResultValue = std::variant<IntentFile, std::vector<IntentFile>, QUrl>;

// A URL's absolute string: percent-encoded, so that it reads back as the same URL.
std::string encodedURL(const QUrl& url);

// Each value printed on its own line: a file as its path (a remote file as
// its URL), a URL as its absolute string.
std::vector<std::string> resultLines(const ResultValue& value);

} // namespace Intents
