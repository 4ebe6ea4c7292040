// Scripting collection "Features.AutomotiveCollection", made by the journaling engine from
// its description; its enumerator is exported with the auto-die collection's.
#include "ja_features_automotive_collection_jam.hpp"

namespace ja_features_automotive_collection_jam {
namespace {

class Features_AutomotiveCollection_JournalledImpl final : public Features_AutomotiveCollection_Interface {
 public:
  unsigned int GetInterfaceId() override { return Unit::interfaceId; }
  JA_FEATURES_AUTOMOTIVE_COLLECTION_MEMBERS(JA_JOURNALLED_OP)
  EnumerateFunction Enumerate() override { return &JAX_Collection_enumerate; }
};

class Features_AutomotiveCollection_UnjournalledImpl final : public Features_AutomotiveCollection_Interface {
 public:
  unsigned int GetInterfaceId() override { return Unit::interfaceId; }
  JA_FEATURES_AUTOMOTIVE_COLLECTION_MEMBERS(JA_UNJOURNALLED_OP)
  EnumerateFunction Enumerate() override { return &JAX_Collection_enumerate; }
};

Features_AutomotiveCollection_JournalledImpl journalled;
Features_AutomotiveCollection_UnjournalledImpl unjournalled;

}  // namespace
}  // namespace ja_features_automotive_collection_jam

using ja_features_automotive_collection_jam::Members;
using ja_features_automotive_collection_jam::Unit;

void JA_AutomotiveCollection_initialize_class() { KTX::JA::InitializeClass<Unit, Members>(); }
void JA_AutomotiveCollection_destroy_class() { KTX::JA::DestroyClass<Unit>(); }
void JA_AutomotiveCollection_test_print(const KTX::tag_t* tag, const char* tagName, int level) {
  KTX::JA::TestPrint<Unit, Members>(tag, tagName, level);
}

namespace KTX::JA {
void LoadAutomotiveCollectionUnit() {
  LoadUnit<Unit>(&ja_features_automotive_collection_jam::journalled, &ja_features_automotive_collection_jam::unjournalled);
}
}  // namespace KTX::JA

#define JA_UNIT ja_features_automotive_collection_jam
#define JA_EXPORT_CLASS FEATURE_AUTOMOTIVE_COLLECTION
JA_FEATURES_AUTOMOTIVE_COLLECTION_MEMBERS(JA_EXPORT)

