#pragma once
// The platform's path-string rules on std::string paths, and file URLs.
// Paths are taken as written: no symbolic link, "." or ".." is resolved.
//
//   lastPathComponent("/a/b/")          == "b"     ("/" stays "/")
//   deletingLastPathComponent("/a/b/")  == "/a"    ("/" stays "/", "x" gives "")
//   pathExtension("a.tar.gz")           == "gz"    (".bashrc" has none)
//   deletingPathExtension("a.tar.gz")   == "a.tar"
//   appendingPathComponent("/a/", "b")  == "/a/b"
//   URL::fileURLWithPath("/a b").absoluteString() == "file:///a%20b"

#include <compare>
#include <optional>
#include <string>

namespace Foundation {

std::string lastPathComponent(const std::string& path);
std::string deletingLastPathComponent(const std::string& path);
std::string pathExtension(const std::string& path);
std::string deletingPathExtension(const std::string& path);
// Joins with one slash; repeated slashes collapse and a trailing one goes.
std::string appendingPathComponent(const std::string& path, const std::string& component);
// "name" + "ext" gives "name.ext"; trailing slashes of the path go first.
std::string appendingPathExtension(const std::string& path, const std::string& extension);

// A URL value: a file URL (a path) or any other absolute URL.
class URL {
public:
    // A file URL for the path; a relative path is taken from the current
    // folder. Whether it names a folder is asked of the file system unless given.
    static URL fileURLWithPath(const std::string& path, std::optional<bool> isDirectory = std::nullopt);
    // Parses an absolute URL ("file:///a", "https://x/y"); absent when invalid or relative.
    static std::optional<URL> fromString(const std::string& text);

    bool isFileURL() const { return isFile_; }
    bool hasDirectoryPath() const { return isDirectory_; }
    // The decoded path, without a trailing slash (except for "/").
    const std::string& path() const { return path_; }
    // The percent-encoded text; a folder's ends with a slash.
    std::string absoluteString() const;

    std::string lastPathComponent() const;
    std::string pathExtension() const;
    URL appendingPathComponent(const std::string& component, bool isDirectory = false) const;
    URL appendingPathExtension(const std::string& extension) const;
    URL deletingLastPathComponent() const;
    URL deletingPathExtension() const;

    bool operator==(const URL& other) const = default;
    auto operator<=>(const URL& other) const = default;

private:
    URL() = default;
    URL withOtherPath(const std::string& path, bool isDirectory) const;
    bool isFile_ = false;
    bool isDirectory_ = false;
    std::string path_;
    std::string other_; // the whole text of a URL that is not a file URL
};

} // namespace Foundation
