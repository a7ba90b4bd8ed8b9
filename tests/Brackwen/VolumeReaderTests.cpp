#include "tests/Brackwen/ArchiveFixtures.h"

#include "Brackwen/VolumeReader.h"

#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

using namespace Fixtures;
using Brackwen::VolumeReader;

namespace {

// A tar.zst of one entry far larger than the blocks decoded ahead of the
// reader, split into volumes.
struct SplitTarZst {
    std::string content;
    std::vector<std::string> volumes;
};

SplitTarZst makeSplitTarZst(const std::string& name)
{
    SplitTarZst made;
    std::string dir = makeFolder(name);
    made.content = randomBytes(16 << 20, 11);
    writeFile(dir + "/big.bin", made.content);
    EXPECT_EQ(run("tar cf - big.bin | zstd -q -1 | split -b 3m - part_", dir).status, 0);
    for (const auto& e : std::filesystem::directory_iterator(dir))
        if (e.path().filename().string().starts_with("part_"))
            made.volumes.push_back(e.path().string());
    std::sort(made.volumes.begin(), made.volumes.end());
    return made;
}

// Reads the entry's data until its end or an error (the result), keeping
// what came before.
int readEntry(VolumeReader& reader, std::string& data, size_t limit = SIZE_MAX)
{
    struct archive_entry* entry = nullptr;
    int r = archive_read_next_header(reader.handle(), &entry);
    if (r != ARCHIVE_OK)
        return r;
    const void* block;
    size_t size;
    la_int64_t offset;
    while (data.size() < limit && (r = archive_read_data_block(reader.handle(), &block, &size, &offset)) == ARCHIVE_OK) {
        data.append(static_cast<const char*>(block), size);
        EXPECT_LE(reader.position(), reader.totalSize());
    }
    return data.size() < limit ? r : ARCHIVE_OK;
}

} // namespace

TEST(VolumeReader, DecodingAheadStopsWhereverTheReaderIsLeft)
{
    auto made = makeSplitTarZst("ahead");
    ASSERT_GE(made.volumes.size(), 4u);
    {
        VolumeReader reader(made.volumes);
        ASSERT_FALSE(reader.checkVolumes());
        ASSERT_FALSE(reader.open());
        std::string start;
        ASSERT_EQ(readEntry(reader, start, 1), ARCHIVE_OK);
        // Opened again mid-stream, it reads from the start, to the end.
        ASSERT_FALSE(reader.open());
        std::string all;
        EXPECT_EQ(readEntry(reader, all), ARCHIVE_EOF);
        EXPECT_TRUE(all == made.content);
        EXPECT_EQ(reader.position(), reader.totalSize());
        // Left with the blocks ahead filled, and destroyed.
        ASSERT_FALSE(reader.open());
        ASSERT_EQ(readEntry(reader, start, 1), ARCHIVE_OK);
    }
    // The handle closed by hand while the thread waits for room.
    VolumeReader reader(made.volumes);
    ASSERT_FALSE(reader.checkVolumes());
    ASSERT_FALSE(reader.open());
    std::string start;
    ASSERT_EQ(readEntry(reader, start, 1), ARCHIVE_OK);
    EXPECT_EQ(archive_read_close(reader.handle()), ARCHIVE_OK);
}

TEST(VolumeReader, VolumeThatFailsAheadIsReportedAfterTheBytesBeforeIt)
{
    auto made = makeSplitTarZst("gone");
    ASSERT_GE(made.volumes.size(), 5u);
    VolumeReader reader(made.volumes);
    ASSERT_FALSE(reader.checkVolumes());
    ASSERT_FALSE(reader.open());
    // Beyond what the open has decoded ahead.
    std::filesystem::remove(made.volumes[4]);
    std::string data;
    EXPECT_EQ(readEntry(reader, data), ARCHIVE_FATAL);
    EXPECT_EQ(archive_errno(reader.handle()), ENOENT) << archive_error_string(reader.handle());
    EXPECT_GT(data.size(), 8u << 20);
    EXPECT_TRUE(made.content.compare(0, data.size(), data) == 0);
}
