#include "Platform/Foundation/LocalizedString.h"
#include "tests/support/TextIds.h"

#include <gtest/gtest.h>

namespace {

TEST(TollbeckStrings, EveryTextIdTheProgramLooksUpHasAText)
{
    TestSupport::expectEveryTextIdHasAText(KELVORA_SOURCE_DIR, {"Tollbeck", "ActionFrame"},
                                           [](const std::string& id) { return Foundation::localizedString(id) != id; });
}

} // namespace
