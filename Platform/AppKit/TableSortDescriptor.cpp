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
    // Runs of digits compare by value, the text between them by the
    // collator, case ignored; the collator alone does not do numbers in
    // every locale (not in C.UTF-8).
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const bool da = a[i].isDigit(), db = b[j].isDigit();
        qsizetype ei = i, ej = j;
        while (ei < a.size() && a[ei].isDigit() == da)
            ++ei;
        while (ej < b.size() && b[ej].isDigit() == db)
            ++ej;
        const QStringView ra = QStringView(a).mid(i, ei - i), rb = QStringView(b).mid(j, ej - j);
        int r = 0;
        if (da && db) {
            QStringView ta = ra, tb = rb;
            while (ta.size() > 1 && ta.front() == u'0')
                ta = ta.mid(1);
            while (tb.size() > 1 && tb.front() == u'0')
                tb = tb.mid(1);
            r = ta.size() != tb.size() ? (ta.size() < tb.size() ? -1 : 1) : sign(ta.compare(tb));
        } else if (ra != rb) {
            // Names in one folder share most of their text; the collator is
            // the expensive part and only needed where the runs differ.
            r = sign(standardCollator().compare(ra, rb));
        }
        if (r)
            return r;
        i = ei;
        j = ej;
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1;
    // Names equal but for case still need a fixed order.
    return sign(a.compare(b));
}

int SortDescriptor::compare(const KeyValueObject& a, const KeyValueObject& b) const
{
    return compareValues(a.valueForKey(key_), b.valueForKey(key_));
}

int SortDescriptor::compareValues(const QVariant& va, const QVariant& vb) const
{
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
