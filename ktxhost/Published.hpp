// ktxhost published: everything the plug-in publishes, as the host sees it.
#pragma once

#include "Options.hpp"

namespace KTX::HostProgram {

// The command's table and its own help after the usage line.
extern const Syntax kPublishedSyntax;
extern const char* const kPublishedHelp;

// Runs `ktxhost published` on the plug-in with the arguments its table read;
// gives the program's exit status.
int Published(const Arguments& arguments, const char* plugin);

}  // namespace KTX::HostProgram
