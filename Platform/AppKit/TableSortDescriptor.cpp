#include "Platform/AppKit/TableSortDescriptor.h"

#include "Platform/AppKit/ArrayController.h"

#include <QCollator>

namespace AppKit {

namespace {

const QCollator& standardCollator()
{
    // Main-thread only like the rest of the layer, but the search sorts on the
    // main queue too; one collator per thread keeps it safe either way.
    thread_local QCollator collator = [] {
        QCollator c{QLocale()};
        c.setNumericMode(true);
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator;
}

int sign(int v) { return (v > 0) - (v < 0); }

} // namespace

int localizedStandardCompare(const QString& a, const QString& b)
{
    int r = sign(standardCollator().compare(a, b));
    // Names equal but for case still need a fixed order.
    return r != 0 ? r : sign(a.compare(b));
}

int SortDescriptor::compare(const KeyValueObject& a, const KeyValueObject& b) const
{
    const QVariant va = a.valueForKey(key_);
    const QVariant vb = b.valueForKey(key_);
    int r = 0;
    if (comparison_ == SortComparison::localizedStandardCompare) {
        r = localizedStandardCompare(va.toString(), vb.toString());
    } else {
        // An absent value sorts first, as nil does.
        if (!va.isValid() || !vb.isValid())
            r = int(va.isValid()) - int(vb.isValid());
        else {
            const QPartialOrdering o = QVariant::compare(va, vb);
            r = o == QPartialOrdering::Less ? -1 : o == QPartialOrdering::Greater ? 1 : 0;
        }
    }
    return ascending_ ? r : -r;
}

int compareUsingDescriptors(const KeyValueObject& a, const KeyValueObject& b,
                            const std::vector<SortDescriptor>& descriptors)
{
    for (const auto& d : descriptors)
        if (int r = d.compare(a, b))
            return r;
    return 0;
}

} // namespace AppKit
