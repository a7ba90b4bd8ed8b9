#pragma once
// Stand-in for the platform's pasteboard over QMimeData: declared types,
// data and property lists (lists of strings) by type, and file URLs
// ("text/uri-list"). Custom types such as "com.tarnu.Kelvora.PathObject" are
// MIME formats of their own name.

#include <QByteArray>

#include <memory>
#include <optional>
#include <string>
#include <vector>

class QMimeData;

namespace AppKit {

// The promised-files type of a drag out to a file manager.
inline const std::string PasteboardTypeFilesPromise = "NSFilesPromisePboardType";
inline const std::string PasteboardTypeFileURL = "text/uri-list";

class Pasteboard {
public:
    // A pasteboard over its own, new data.
    Pasteboard();
    // A pasteboard over data that someone else owns (a drop's data).
    explicit Pasteboard(const QMimeData* data);
    ~Pasteboard();

    // Replaces the types and drops every data written before.
    void declareTypes(const std::vector<std::string>& types);
    std::vector<std::string> types() const;
    bool hasType(const std::string& type) const;

    bool setData(const QByteArray& data, const std::string& type);
    std::optional<QByteArray> data(const std::string& type) const;
    bool setPropertyList(const std::vector<std::string>& list, const std::string& type);
    std::optional<std::vector<std::string>> propertyList(const std::string& type) const;

    // Local paths of the file URLs on the pasteboard.
    std::vector<std::string> filePaths() const;
    void setFilePaths(const std::vector<std::string>& paths);

    const QMimeData* mimeData() const;
    // Hands the data over (to a drag); the pasteboard is empty afterwards.
    QMimeData* takeMimeData();

private:
    QMimeData* own_ = nullptr;
    const QMimeData* data_ = nullptr;
    std::vector<std::string> declared_;
};

} // namespace AppKit
