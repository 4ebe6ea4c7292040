// Scripting class "Die.DiePlaneBuilder", made by the journaling engine from its
// description.
#include "ja_die_die_plane_builder_jam.hpp"

namespace ja_die_die_plane_builder_jam {
namespace {

class Die_DiePlaneBuilder_JournalledImpl final : public Die_DiePlaneBuilder_Interface {
 public:
  unsigned int GetInterfaceId() override { return Unit::interfaceId; }
  JA_DIE_DIE_PLANE_BUILDER_MEMBERS(JA_JOURNALLED_OP)
};

class Die_DiePlaneBuilder_UnjournalledImpl final : public Die_DiePlaneBuilder_Interface {
 public:
  unsigned int GetInterfaceId() override { return Unit::interfaceId; }
  JA_DIE_DIE_PLANE_BUILDER_MEMBERS(JA_UNJOURNALLED_OP)
};

Die_DiePlaneBuilder_JournalledImpl journalled;
Die_DiePlaneBuilder_UnjournalledImpl unjournalled;

}  // namespace
}  // namespace ja_die_die_plane_builder_jam

using ja_die_die_plane_builder_jam::Members;
using ja_die_die_plane_builder_jam::Unit;

void JA_DiePlaneBuilder_initialize_class() { KTX::JA::InitializeClass<Unit, Members>(); }
void JA_DiePlaneBuilder_destroy_class() { KTX::JA::DestroyClass<Unit>(); }
void JA_DiePlaneBuilder_test_print(const KTX::tag_t* tag, const char* tagName, int level) {
  KTX::JA::TestPrint<Unit, Members>(tag, tagName, level);
}

namespace KTX::JA {
void LoadDiePlaneBuilderUnit() {
  LoadUnit<Unit>(&ja_die_die_plane_builder_jam::journalled, &ja_die_die_plane_builder_jam::unjournalled);
}
}  // namespace KTX::JA

#define JA_UNIT ja_die_die_plane_builder_jam
#define JA_EXPORT_CLASS DIE_PLANE_BUILDER
JA_DIE_DIE_PLANE_BUILDER_MEMBERS(JA_EXPORT)
