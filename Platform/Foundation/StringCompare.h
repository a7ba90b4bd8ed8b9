#pragma once
// The platform's string comparisons on UTF-8 std::string texts.
//
//   isCanonicallyEqual("e\u0301", "\u00e9")        true (same text, other code points)
//   caseInsensitiveCompare("abc", "ABD")           orderedAscending
//   localizedStandardCompare("file2", "File10")    orderedAscending (Finder-like:
//                                                  numbers by value, case ignored)
//   localizedCaseInsensitiveContains("Report.PDF", "pdf")  true

#include <string>

namespace Foundation {

enum class ComparisonResult { orderedAscending = -1, orderedSame = 0, orderedDescending = 1 };

// Equality under Unicode canonical equivalence, case-sensitive.
bool isCanonicallyEqual(const std::string& a, const std::string& b);

// Compares case-folded texts, not locale-aware (the platform's caseInsensitiveCompare).
ComparisonResult caseInsensitiveCompare(const std::string& a, const std::string& b);

// The current locale's collation with numbers compared by value and case
// ignored; texts that only differ in case are ordered by a case-aware pass,
// so the order is total.
ComparisonResult localizedStandardCompare(const std::string& a, const std::string& b);

// Whether `text` contains `part`, case ignored, under canonical equivalence.
// An empty part is never contained.
bool localizedCaseInsensitiveContains(const std::string& text, const std::string& part);

} // namespace Foundation
