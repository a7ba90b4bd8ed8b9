#pragma once
// Rows of the gallery's table: many entries with names, sizes and kinds
// like an archive listing, the same for every run.

#include "Platform/AppKit/ArrayController.h"

#include <memory>
#include <vector>

namespace Gallery {

struct Row : AppKit::KeyValueObject {
    QString name;
    qint64 size = 0;
    QString kind;
    QVariant valueForKey(const std::string& key) const override;
};

std::vector<std::shared_ptr<Row>> makeRows(int count);

} // namespace Gallery
