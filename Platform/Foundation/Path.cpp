#include "Platform/Foundation/Path.h"

#include <QDir>
#include <QUrl>

#include <sys/stat.h>

namespace Foundation {

namespace {

// Without trailing slashes; "/" (or "///") stays "/".
std::string trimTrailingSlashes(const std::string& path)
{
    size_t end = path.size();
    while (end > 1 && path[end - 1] == '/')
        --end;
    return path.substr(0, end);
}

std::string collapseSlashes(const std::string& path)
{
    std::string out;
    out.reserve(path.size());
    for (char c : path)
        if (!(c == '/' && !out.empty() && out.back() == '/'))
            out.push_back(c);
    return trimTrailingSlashes(out);
}

// Where the extension's dot is in the last component, or npos.
size_t extensionDot(const std::string& trimmed)
{
    size_t slash = trimmed.rfind('/');
    size_t start = slash == std::string::npos ? 0 : slash + 1;
    size_t dot = trimmed.rfind('.');
    if (dot == std::string::npos || dot <= start || dot + 1 == trimmed.size())
        return std::string::npos;
    return dot;
}

} // namespace

std::string lastPathComponent(const std::string& path)
{
    std::string p = trimTrailingSlashes(path);
    if (p == "/")
        return p;
    size_t slash = p.rfind('/');
    return slash == std::string::npos ? p : p.substr(slash + 1);
}

std::string deletingLastPathComponent(const std::string& path)
{
    std::string p = trimTrailingSlashes(path);
    if (p == "/")
        return p;
    size_t slash = p.rfind('/');
    if (slash == std::string::npos)
        return {};
    std::string parent = trimTrailingSlashes(p.substr(0, slash));
    return parent.empty() ? "/" : parent;
}

std::string pathExtension(const std::string& path)
{
    std::string p = trimTrailingSlashes(path);
    size_t dot = extensionDot(p);
    return dot == std::string::npos ? std::string() : p.substr(dot + 1);
}

std::string deletingPathExtension(const std::string& path)
{
    std::string p = trimTrailingSlashes(path);
    size_t dot = extensionDot(p);
    return dot == std::string::npos ? p : p.substr(0, dot);
}

std::string appendingPathComponent(const std::string& path, const std::string& component)
{
    if (path.empty())
        return collapseSlashes(component);
    return collapseSlashes(path + "/" + component);
}

std::string appendingPathExtension(const std::string& path, const std::string& extension)
{
    std::string p = trimTrailingSlashes(path);
    if (p.empty() || p == "/")
        return p;
    return p + "." + extension;
}

URL URL::fileURLWithPath(const std::string& path, std::optional<bool> isDirectory)
{
    URL url;
    url.isFile_ = true;
    std::string absolute = !path.empty() && path[0] == '/'
        ? path
        : Foundation::appendingPathComponent(QDir::currentPath().toStdString(), path);
    url.path_ = trimTrailingSlashes(absolute);
    if (isDirectory) {
        url.isDirectory_ = *isDirectory;
    } else {
        struct stat st;
        url.isDirectory_ = (!path.empty() && path.back() == '/')
            || (::stat(url.path_.c_str(), &st) == 0 && S_ISDIR(st.st_mode));
    }
    return url;
}

std::optional<URL> URL::fromString(const std::string& text)
{
    QUrl q(QString::fromStdString(text), QUrl::StrictMode);
    if (!q.isValid() || q.isRelative())
        return std::nullopt;
    if (q.isLocalFile()) {
        std::string p = q.toLocalFile().toStdString();
        if (p.empty())
            p = "/";
        return fileURLWithPath(p, !text.empty() && text.back() == '/');
    }
    URL url;
    url.other_ = q.toString(QUrl::FullyEncoded).toStdString();
    std::string path = q.path(QUrl::FullyDecoded).toStdString();
    url.isDirectory_ = !path.empty() && path.back() == '/';
    url.path_ = trimTrailingSlashes(path);
    return url;
}

std::string URL::absoluteString() const
{
    if (!isFile_)
        return other_;
    std::string text = QUrl::fromLocalFile(QString::fromStdString(path_)).toString(QUrl::FullyEncoded).toStdString();
    if (isDirectory_ && text.back() != '/')
        text += '/';
    return text;
}

std::string URL::lastPathComponent() const
{
    return Foundation::lastPathComponent(path_);
}

std::string URL::pathExtension() const
{
    return Foundation::pathExtension(path_);
}

URL URL::withOtherPath(const std::string& path, bool isDirectory) const
{
    QUrl q(QString::fromStdString(other_));
    q.setPath(QString::fromStdString(isDirectory && path != "/" ? path + "/" : path), QUrl::DecodedMode);
    URL url;
    url.other_ = q.toString(QUrl::FullyEncoded).toStdString();
    url.path_ = path;
    url.isDirectory_ = isDirectory;
    return url;
}

URL URL::appendingPathComponent(const std::string& component, bool isDirectory) const
{
    std::string path = Foundation::appendingPathComponent(path_.empty() ? "/" : path_, component);
    return isFile_ ? fileURLWithPath(path, isDirectory) : withOtherPath(path, isDirectory);
}

URL URL::appendingPathExtension(const std::string& extension) const
{
    std::string path = Foundation::appendingPathExtension(path_, extension);
    return isFile_ ? fileURLWithPath(path, isDirectory_) : withOtherPath(path, isDirectory_);
}

URL URL::deletingLastPathComponent() const
{
    std::string path = Foundation::deletingLastPathComponent(path_);
    return isFile_ ? fileURLWithPath(path, true) : withOtherPath(path, true);
}

URL URL::deletingPathExtension() const
{
    std::string path = Foundation::deletingPathExtension(path_);
    return isFile_ ? fileURLWithPath(path, isDirectory_) : withOtherPath(path, isDirectory_);
}

} // namespace Foundation
