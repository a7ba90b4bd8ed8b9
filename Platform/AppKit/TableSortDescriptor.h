#pragma once
// Stand-in for the platform's sort descriptor: a key, a direction and a
// comparison, applied to objects that answer values by key.

#include <QVariant>

#include <memory>
#include <string>
#include <vector>

namespace AppKit {

class KeyValueObject;

enum class SortComparison {
    compare,                  // the values' own order (numbers, dates, texts)
    localizedStandardCompare, // as a file viewer sorts names: numbers by value, case ignored
};

class SortDescriptor {
public:
    SortDescriptor(std::string key, bool ascending, SortComparison comparison = SortComparison::compare)
        : key_(std::move(key)), ascending_(ascending), comparison_(comparison) {}

    const std::string& key() const { return key_; }
    bool ascending() const { return ascending_; }
    SortComparison comparison() const { return comparison_; }
    SortDescriptor reversed() const { return {key_, !ascending_, comparison_}; }

    // Negative, zero or positive as a sorts before, with or after b.
    int compare(const KeyValueObject& a, const KeyValueObject& b) const;
    // The same for two values of the key already read.
    int compareValues(const QVariant& a, const QVariant& b) const;

    bool operator==(const SortDescriptor&) const = default;

private:
    std::string key_;
    bool ascending_;
    SortComparison comparison_;
};

// A stable sort by the descriptors in turn; no descriptors keep the order.
template <typename Ptr>
void sortUsingDescriptors(std::vector<Ptr>& objects, const std::vector<SortDescriptor>& descriptors);

int compareUsingDescriptors(const KeyValueObject& a, const KeyValueObject& b,
                            const std::vector<SortDescriptor>& descriptors);

// Compares two texts as localizedStandardCompare does.
int localizedStandardCompare(const QString& a, const QString& b);

} // namespace AppKit

#include <algorithm>

template <typename Ptr>
void AppKit::sortUsingDescriptors(std::vector<Ptr>& objects, const std::vector<SortDescriptor>& descriptors)
{
    if (descriptors.empty())
        return;
    // Every value is read once up front rather than twice per comparison:
    // reading one builds a QVariant, which dominated sorting long tables.
    const std::size_t n = objects.size(), d = descriptors.size();
    std::vector<QVariant> values(n * d);
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t k = 0; k < d; ++k)
            values[i * d + k] = objects[i]->valueForKey(descriptors[k].key());
    std::vector<std::size_t> order(n);
    for (std::size_t i = 0; i < n; ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        for (std::size_t k = 0; k < d; ++k)
            if (int r = descriptors[k].compareValues(values[a * d + k], values[b * d + k]))
                return r < 0;
        return false;
    });
    std::vector<Ptr> sorted;
    sorted.reserve(n);
    for (std::size_t i : order)
        sorted.push_back(std::move(objects[i]));
    objects = std::move(sorted);
}
