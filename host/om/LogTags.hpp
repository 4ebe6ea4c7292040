// How an object stands among a logged call's arguments. With the object
// manager, not the call log, which sits on the floor below it.
#pragma once
#include <string>

namespace KTX::OM {
class Object;
}

namespace KTX::Host {

// An object among a logged call's arguments: "tag=12" ("tag=0" for none).
std::string TagArg(const OM::Object* object);
// Its bare tag, for an argument the call names itself ("frec=12").
std::string TagNumber(const OM::Object* object);

}  // namespace KTX::Host
