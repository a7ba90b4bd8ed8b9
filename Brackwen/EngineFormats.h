#pragma once
// Questions about an open libarchive handle and its messages that decide
// which path the engine takes (7-Zip backend, RAR encryption), and the
// formats it opens.

#include <string>
#include <unordered_set>
#include <vector>

struct archive;

namespace Brackwen {

// Enables the formats the product reads as archives: every format libarchive
// reads except mtree, a text format that turns any short text file (a failed
// download saved as .zip) into a listing of made-up entries.
void supportArchiveFormats(struct archive* a);

bool isSevenZip(struct archive* a);
bool isRar(struct archive* a);
bool isZip(struct archive* a);
// "The archive header is encrypted, but currently not supported"
bool isEncryptedHeaderMessage(const std::string& message);
// RAR4/RAR5 header encryption, which libarchive cannot read.
bool isRarEncryptionMessage(const std::string& message);
// Names of the RAR5 file entries that carry an encryption record, read from
// the block headers of every volume. libarchive 3.6.2 neither flags these
// entries nor fails on them: a stored one reads back as its ciphertext.
std::unordered_set<std::string> rar5EncryptedNames(const std::vector<std::string>& volumePaths);

} // namespace Brackwen
