#include "tests/gallery/GalleryRows.h"

#include <random>

namespace Gallery {

QVariant Row::valueForKey(const std::string& key) const
{
    if (key == "name")
        return name;
    if (key == "size")
        return size;
    if (key == "kind")
        return kind;
    return {};
}

std::vector<std::shared_ptr<Row>> makeRows(int count)
{
    static const char* const stems[] = {"Report", "photo", "Invoice", "notes", "IMG_", "track", "Budget", "draft"};
    static const char* const types[][2] = {
        {"pdf", "PDF document"}, {"jpg", "JPEG image"}, {"txt", "plain text document"}, {"zip", "Zip archive"}};
    std::mt19937 random(20261210);
    std::vector<std::shared_ptr<Row>> rows;
    rows.reserve(count);
    for (int i = 0; i < count; ++i) {
        auto row = std::make_shared<Row>();
        const auto& type = types[random() % 4];
        row->name = QStringLiteral("%1%2.%3").arg(stems[random() % 8]).arg(random() % 100000).arg(type[0]);
        row->size = static_cast<qint64>(random() % 50'000'000);
        row->kind = QString::fromLatin1(type[1]);
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace Gallery
