// tollbeck: the file manager's "make an archive…" action. The selected
// files and folders are the arguments.

#include "Platform/Extension/ExtensionHost.h"
#include "Tollbeck/ActionViewController.h"

int main(int argc, char** argv)
{
    return Extension::extensionMain(argc, argv, {"tollbeck", "EXTENSION_DISPLAY_NAME"},
                                    [] { return std::make_shared<Tollbeck::ActionViewController>(); });
}
