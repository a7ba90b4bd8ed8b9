#pragma once
// Guessing the encoding of a name that is not valid UTF-8 (an archive entry
// name) among the encodings offered for it.

#include "Platform/Foundation/StringEncoding.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Foundation {

struct StringEncodingHints {
    // The user's locale ("ja_JP", "ru_RU", …); its region's encodings are
    // preferred when the bytes leave the choice open.
    std::string localeName;
    // The bytes come from where DOS code pages are the rule (zip entries
    // without the UTF-8 flag).
    bool dosCodePagesLikely = false;
};

// The candidate most likely to be the bytes' encoding, or none when every
// candidate fails to decode them, decodes them into control characters or
// unassigned code points, or does not read ASCII as ASCII. Each candidate is
// scored on how much its text reads as a name (letters rather than symbols,
// one script per word, Latin words mostly ASCII), on ICU's charset
// detection, and on the hints; ties go to the earlier candidate.
std::optional<StringEncoding> mostLikelyStringEncoding(std::string_view bytes,
                                                       const std::vector<StringEncoding>& candidates,
                                                       const StringEncodingHints& hints);

} // namespace Foundation
