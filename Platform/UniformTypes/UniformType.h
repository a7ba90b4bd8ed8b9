#pragma once
// Stand-in for the platform's uniform type identifiers: a few system types
// ("public.item", "public.data", "public.folder", "public.directory") and
// MIME types from Qt's MIME database, with conformance between them.

#include <optional>
#include <string>

namespace UniformTypes {

class UTType {
public:
    static UTType item();      // "public.item": everything
    static UTType data();      // "public.data": any file's bytes
    static UTType directory(); // "public.directory"
    static UTType folder();    // "public.folder": a directory the user sees as one

    // A system identifier above, or a MIME type name ("application/zip");
    // none when the name is neither.
    static std::optional<UTType> withIdentifier(const std::string& identifier);

    // The type of the file or folder at a local path: a folder for
    // directories, else its MIME type (by name and content).
    static UTType ofFile(const std::string& path);

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
