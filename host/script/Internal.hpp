// What the script room's sources share among themselves and do not export.
#pragma once
#include <string>

#include "feat/Builder.hpp"
#include "script/Player.hpp"

namespace KTX::Script {

// An object's class name without its namespaces ("?" for none).
std::string ShortClassName(const OM::Object* object);

// Binds one of the host's own members: a binding the plug-in's going leaves.
void BindHost(const char* journalClass, int methodType, const char* member, JAM_replay_fn play,
              const MemberSignature& signature);

}  // namespace KTX::Script
