#include "Platform/Foundation/LocalizedString.h"
#include "Sellwick/ActionViewController.h"
#include "tests/support/TextIds.h"

#include <gtest/gtest.h>

namespace {

TEST(SellwickStrings, EveryTextIdTheProgramLooksUpHasAText)
{
    // The program's tables come with its library, which a controller loads.
    auto program = std::make_shared<Sellwick::ActionViewController>();
    TestSupport::expectEveryTextIdHasAText(KELVORA_SOURCE_DIR, {"Sellwick", "ActionFrame"},
                                           [](const std::string& id) { return Foundation::localizedString(id) != id; });
}

} // namespace
