// ktxhost published: everything the plug-in publishes, as the host sees it.
#pragma once

namespace KTX::HostProgram {

// The command's own help.
extern const char* const kPublishedHelp;

// Runs `ktxhost published` with the arguments after the command's name;
// gives the program's exit status.
int Published(int argc, char** argv, const char* defaultPlugin);

}  // namespace KTX::HostProgram
