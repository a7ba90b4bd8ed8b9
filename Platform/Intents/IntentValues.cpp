#include "Platform/Intents/IntentValues.h"

namespace Intents {

std::string IntentFile::displayText() const
{
    if (filename)
        return *filename;
    if (fileURL)
        return fileURL->fileName().toStdString();
    return {};
}

std::string encodedURL(const QUrl& url)
{
    return url.toString(QUrl::FullyEncoded).toStdString();
}

namespace {

std::string fileLine(const IntentFile& file)
{
    if (!file.fileURL)
        return file.displayText();
    if (file.fileURL->isLocalFile())
        return file.fileURL->toLocalFile().toStdString();
    return encodedURL(*file.fileURL);
}

} // namespace

std::vector<std::string> resultLines(const ResultValue& value)
{
    std::vector<std::string> lines;
    if (auto* file = std::get_if<IntentFile>(&value)) {
        lines.push_back(fileLine(*file));
    } else if (auto* files = std::get_if<std::vector<IntentFile>>(&value)) {
        for (const auto& f : *files)
            lines.push_back(fileLine(f));
    } else if (auto* url = std::get_if<QUrl>(&value)) {
        lines.push_back(encodedURL(*url));
    }
    return lines;
}

} // namespace Intents
