#include "Platform/Foundation/LocalizedString.h"
#include "tests/support/TextIds.h"

#include <gtest/gtest.h>

namespace {

TEST(SellwickStrings, EveryTextIdTheProgramLooksUpHasAText)
{
    TestSupport::expectEveryTextIdHasAText(KELVORA_SOURCE_DIR, {"Sellwick", "ActionFrame"},
                                           [](const std::string& id) { return Foundation::localizedString(id) != id; });
}

} // namespace
