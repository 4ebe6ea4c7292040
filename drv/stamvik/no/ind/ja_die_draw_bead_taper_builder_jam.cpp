// Scripting class "Die.DrawBeadTaperBuilder", made by the journaling engine from
// its description.
#include "ja_die_draw_bead_taper_builder_jam.hpp"

namespace ja_die_draw_bead_taper_builder_jam {
namespace {

class Die_DrawBeadTaperBuilder_JournalledImpl final : public Die_DrawBeadTaperBuilder_Interface {
 public:
  unsigned int GetInterfaceId() override { return Unit::interfaceId; }
  JA_DIE_DRAW_BEAD_TAPER_BUILDER_MEMBERS(JA_JOURNALLED_OP)
};

class Die_DrawBeadTaperBuilder_UnjournalledImpl final : public Die_DrawBeadTaperBuilder_Interface {
 public:
  unsigned int GetInterfaceId() override { return Unit::interfaceId; }
  JA_DIE_DRAW_BEAD_TAPER_BUILDER_MEMBERS(JA_UNJOURNALLED_OP)
};

Die_DrawBeadTaperBuilder_JournalledImpl journalled;
Die_DrawBeadTaperBuilder_UnjournalledImpl unjournalled;

}  // namespace
}  // namespace ja_die_draw_bead_taper_builder_jam

using ja_die_draw_bead_taper_builder_jam::Members;
using ja_die_draw_bead_taper_builder_jam::Unit;

void JA_DrawBeadTaperBuilder_initialize_class() { KTX::JA::InitializeClass<Unit, Members>(); }
void JA_DrawBeadTaperBuilder_destroy_class() { KTX::JA::DestroyClass<Unit>(); }
void JA_DrawBeadTaperBuilder_test_print(const KTX::tag_t* tag, const char* tagName, int level) {
  KTX::JA::TestPrint<Unit, Members>(tag, tagName, level);
}
void JA_DrawBeadTaperBuilder_set_defaults(KTX::tag_t tag, bool apply) { KTX::JA::SetDefaults<Unit>(tag, apply); }

namespace KTX::JA {
void LoadDrawBeadTaperBuilderUnit() {
  LoadUnit<Unit>(&ja_die_draw_bead_taper_builder_jam::journalled, &ja_die_draw_bead_taper_builder_jam::unjournalled);
}
}  // namespace KTX::JA

#define JA_UNIT ja_die_draw_bead_taper_builder_jam
#define JA_EXPORT_CLASS DRAW_BEAD_TAPER_BUILDER
JA_DIE_DRAW_BEAD_TAPER_BUILDER_MEMBERS(JA_EXPORT)
