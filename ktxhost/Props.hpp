// ktxhost props: what the host's property system sees of an object.
#pragma once

#include "Options.hpp"

namespace KTX::HostProgram {

// The command's table and its own help after the usage line.
extern const Syntax kPropsSyntax;
extern const char* const kPropsHelp;

// Runs `ktxhost props` on the plug-in with the arguments its table read;
// gives the program's exit status.
int Props(const Arguments& arguments, const char* plugin);

}  // namespace KTX::HostProgram
