// sellwick: the file manager's "extract here…" action. The selected
// archives are the arguments.

#include "Platform/Extension/ExtensionHost.h"
#include "Sellwick/ActionViewController.h"

int main(int argc, char** argv)
{
    return Extension::extensionMain(argc, argv, {"sellwick", "EXTENSION_DISPLAY_NAME"},
                                    [] { return std::make_shared<Sellwick::ActionViewController>(); });
}
