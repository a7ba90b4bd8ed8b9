#pragma once
// Questions about an open libarchive handle and its messages that decide
// which path the engine takes (7-Zip backend, RAR encryption).

#include <string>

struct archive;

namespace Brackwen {

bool isSevenZip(struct archive* a);
bool isRar(struct archive* a);
bool isZip(struct archive* a);
// "The archive header is encrypted, but currently not supported"
bool isEncryptedHeaderMessage(const std::string& message);
// RAR4/RAR5 header encryption, which libarchive cannot read.
bool isRarEncryptionMessage(const std::string& message);

} // namespace Brackwen
