#include "Tiberly/KitStrings.h"
#include "tests/support/TextIds.h"

#include <gtest/gtest.h>

namespace {

TEST(KitStrings, EveryTextIdTheKitLooksUpHasAText)
{
    TestSupport::expectEveryTextIdHasAText(KELVORA_SOURCE_DIR, {"Tiberly"},
                                           [](const std::string& id) { return Tiberly::kitString(id) != id; });
}

} // namespace
