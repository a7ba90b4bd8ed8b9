#include "tests/Brackwen/ArchiveFixtures.h"
#include "tests/support/EventLoop.h"

#include <gtest/gtest.h>

TEST(ArchiveExtraction, Placeholder) {}
