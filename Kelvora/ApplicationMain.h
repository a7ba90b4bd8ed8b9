#pragma once
// The entry of the window application in its library; the program finds it
// by this name at run time.

extern "C" int kelvoraApplicationMain(int argc, char** argv, const char* version);
