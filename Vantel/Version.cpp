#include "Vantel/Version.h"

extern "C" {
const double VantelVersionNumber = 1.0;
const unsigned char VantelVersionString[] = "@(#)PROGRAM:Vantel  PROJECT:Vantel-1\n";
}
