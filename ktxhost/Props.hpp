// ktxhost props: what the host's property system sees of an object.
#pragma once

namespace KTX::HostProgram {

// The command's own help.
extern const char* const kPropsHelp;

// Runs `ktxhost props` with the arguments after the command's name; gives
// the program's exit status.
int Props(int argc, char** argv, const char* defaultPlugin);

}  // namespace KTX::HostProgram
