#pragma once
// The zip writer for archives without a passphrase. libarchive's deflates
// one entry after another on one thread and deflates what does not
// compress; this one deflates entries (and blocks of large ones) on every
// core, writes them in plan order, and stores an entry whose deflated form
// is not smaller. Entries up to a block are written with their sizes in
// the local header; larger ones are followed by a data descriptor. Zip64
// records appear only where a size, an offset or the entry count needs them.

#include "Brackwen/WriterLibarchive.h"

namespace Brackwen {

// `compression.level` is zlib's (0: its default); `compression.threads` the
// number of deflating threads.
Foundation::Result<Foundation::Void, Foundation::ErrorPtr>
writeZip(int fd, const CompressPlan& plan, const StreamCompression& compression, const WriterControl& control);

} // namespace Brackwen
