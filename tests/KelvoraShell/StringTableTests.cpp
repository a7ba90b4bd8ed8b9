#include "Kelvora/Strings.h"
#include "Platform/Foundation/LocalizedString.h"
#include "tests/support/TextIds.h"

#include <gtest/gtest.h>

namespace {

TEST(StringTables, EveryTextIdTheApplicationLooksUpHasAText)
{
    TestSupport::expectEveryTextIdHasAText(KELVORA_SOURCE_DIR, {"Kelvora"}, [](const std::string& id) {
        return localizedString(id.c_str()) != id || Foundation::localizedStringWithCount(id, 1, "Plurals") != id;
    });
}

} // namespace
