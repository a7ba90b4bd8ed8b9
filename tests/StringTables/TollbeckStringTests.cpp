#include "Platform/Foundation/LocalizedString.h"
#include "Tollbeck/ActionViewController.h"
#include "tests/support/TextIds.h"

#include <gtest/gtest.h>

namespace {

TEST(TollbeckStrings, EveryTextIdTheProgramLooksUpHasAText)
{
    // The program's tables come with its library, which a controller loads.
    auto program = std::make_shared<Tollbeck::ActionViewController>();
    TestSupport::expectEveryTextIdHasAText(KELVORA_SOURCE_DIR, {"Tollbeck", "ActionFrame"},
                                           [](const std::string& id) { return Foundation::localizedString(id) != id; });
}

} // namespace
