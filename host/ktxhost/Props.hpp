// ktxhost props: what the host's property system sees of an object.
#pragma once

// The usage lines of the command, for ktxhost's --help.
#define KTXHOST_PROPS_USAGE \
    "  props    [--plugin PATH] [--no-object] [NAME | NAME=VALUE]...\n" \
    "           load the plug-in, make a new cast-relief builder with the die\n" \
    "           collection's creator and ask the owner of its class, as the host's\n" \
    "           property system does: with no NAME, list every property (the\n" \
    "           builder's own, then those of its parent classes) as\n" \
    "           'NAME TYPE VALUE'; NAME prints one property's value; NAME=VALUE\n" \
    "           writes it (VALUE as the property's type reads it: a number,\n" \
    "           true/false, an enumeration member's name or index, x,y,z for a\n" \
    "           point, texts separated by '|' for an array of texts) and prints\n" \
    "           what reading it back gives. Names are matched as the owner\n" \
    "           matches them (camel case or snake form, any case). Errors print\n" \
    "           as 'NAME: error NUMBER TEXT'. After the requests the journal\n" \
    "           records they left are printed (a read leaves none). With\n" \
    "           --no-object the requests are made without an object. Last,\n" \
    "           once the plug-in is unloaded, how many of the classes it\n" \
    "           registered with the property mapper are still registered.\n"

namespace KTX::HostProgram {

// Runs `ktxhost props` with the arguments after the command's name; gives
// the program's exit status.
int Props(int argc, char** argv, const char* defaultPlugin);

}  // namespace KTX::HostProgram
