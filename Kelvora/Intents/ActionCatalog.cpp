#include "Kelvora/Intents/ActionCatalog.h"

#include "Kelvora/Intents/CreateArchive.h"
#include "Kelvora/Intents/FileURLActions.h"
#include "Kelvora/Intents/Unarchive.h"

const std::vector<Intents::ActionDefinition>& applicationActions()
{
    static const std::vector<Intents::ActionDefinition> actions = {
        CreateArchive::definition(),
        Unarchive::definition(),
        GetURL::definition(),
        GetFileFromURL::definition(),
    };
    return actions;
}
