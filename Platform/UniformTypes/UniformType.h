#pragma once
// Stand-in for the platform's uniform type identifiers: a few system types
// ("public.item", "public.data", "public.folder", "public.directory") and
// MIME types from Qt's MIME database, with conformance between them.

#include <QUrl>

#include <optional>
#include <string>

namespace UniformTypes {

class UTType {
public:
    static UTType item();      // "public.item": everything
    static UTType data();      // "public.data": any file's bytes
    static UTType directory(); // "public.directory"
    static UTType folder();    // "public.folder": a directory the user sees as one

    // A system identifier above, or a MIME type name ("application/zip";
    // "inode/directory" is a folder); none when the name is neither.
    static std::optional<UTType> withIdentifier(const std::string& identifier);

    // The content type of what a file URL names: a folder for directories,
    // else its MIME type (by name and content). None for a URL that is not a
    // file URL or a path where nothing exists: a type is never guessed from
    // a name alone.
    static std::optional<UTType> ofFileURL(const QUrl& url);

    const std::string& identifier() const { return identifier_; }
    std::string preferredMIMEType() const;

    // True when this type is the other or one of its descendants (MIME
    // parents included: "application/x-compressed-tar" conforms to
    // "application/gzip"; every file type conforms to "public.data").
    bool conformsTo(const UTType& other) const;

    bool operator==(const UTType&) const = default;

private:
    explicit UTType(std::string identifier) : identifier_(std::move(identifier)) {}
    std::string identifier_;
};

} // namespace UniformTypes
