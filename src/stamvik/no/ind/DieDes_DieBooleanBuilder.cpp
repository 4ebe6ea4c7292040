#include "DieDes_DieBooleanBuilder.hpp"

#include "sys/Memory.hpp"

namespace KTX::DieDes {

STAMVIK_OM_INSTANCE_SIZE_DEF(DieBooleanBuilder)
STAMVIK_OM_DEFINE_CLASS(DieBooleanBuilder, "KTX::JAX_BUILDER", 0x1000, &GetDieBooleanBuilderInstanceSize,
                        STAMVIK_DIE_BOOLEAN_BUILDER_ATTRIBUTES)

DieBooleanBuilder* DieBooleanBuilderFactory::Create(PART_part* part) {
  return Frame::CreateAndInit<DieBooleanBuilder>(DieBooleanBuilderClassId, [&](DieBooleanBuilder* made) {
    made->InitCreate(part);
  });
}

void DieBooleanBuilder::InitCreate(PART_part* part) { init_object(part); }

char* DieBooleanBuilder::ask_journal_class_name() const { return SM_string_copy("Die.DieBooleanBuilder"); }
int DieBooleanBuilder::commit() { return 0; }

void DieBooleanBuilder::destroy() { cascade_destroy(); }
void DieBooleanBuilder::cascade_destroy() {
  implement_destroy();
  OM::TaggedObject::cascade_destroy();
}
void DieBooleanBuilder::implement_destroy() {
  // The selection list is released here once the builder makes it.
}

JA_DIE_BOOLEAN_BUILDER_boolean_type DieBooleanBuilder::GetBooleanOptions() const {
  int type = 0;
  OM::OM_ask_int(this, m_booleanOptionsAttId, &type);
  return static_cast<JA_DIE_BOOLEAN_BUILDER_boolean_type>(type);
}
void DieBooleanBuilder::SetBooleanOptions(JA_DIE_BOOLEAN_BUILDER_boolean_type type) {
  OM::OM_set_int(this, m_booleanOptionsAttId, type);
}

void DieBooleanBuilder::SetSelectBodies(SELECT_OBJECT_list* bodies) {
  OM::SetReferencedObject(this, m_selectBodiesAttId, bodies);
}
void DieBooleanBuilder::SetApplIsOverallRequired(bool required) {
  OM::LogForWrite(this);
  m_applIsOverallRequired = required;
}
void DieBooleanBuilder::SetApplScope(int scope) {
  OM::LogForWrite(this);
  m_applScope = scope;
}

}  // namespace KTX::DieDes
