#include "Tooling_DieEngFormTaskBuilder.hpp"

#include "sys/Memory.hpp"

namespace KTX::Tooling {

STAMVIK_OM_INSTANCE_SIZE_DEF(DieEngFormTaskBuilder)
STAMVIK_OM_DEFINE_CLASS(DieEngFormTaskBuilder, "KTX::JAX_FEAT_BUILDER", 0x1000, &GetDieEngFormTaskBuilderInstanceSize,
                        STAMVIK_DIE_ENG_FORM_TASK_BUILDER_ATTRIBUTES)

DieEngFormTaskBuilder* DieEngFormTaskBuilderFactory::Create(CM_part* part, FEATURE_RECORD* frec) {
  return Frame::CreateAndInit<DieEngFormTaskBuilder>(DieEngFormTaskBuilderClassId, [&](DieEngFormTaskBuilder* made) {
    made->InitCreate(part, frec);
  });
}

void DieEngFormTaskBuilder::InitCreate(CM_part* part, FEATURE_RECORD* frec) { init_object(part, frec); }

char* DieEngFormTaskBuilder::ask_journal_class_name() const { return SM_string_copy("Tooling.DieEngFormTaskBuilder"); }

void DieEngFormTaskBuilder::destroy() { cascade_destroy(); }

void DieEngFormTaskBuilder::cascade_destroy() {
  implement_destroy();
  JAX_FEAT_BUILDER::cascade_destroy();
}

void DieEngFormTaskBuilder::implement_destroy() {
  // Releasing the application record comes with the record's handling.
}

void DieEngFormTaskBuilder::SetRegionBounds(SC_collector* bounds) {
  OM::SetReferencedObject(this, m_regionBoundsAttId, bounds);
}
void DieEngFormTaskBuilder::SetPointInRegion(tag_t point) {
  OM::SetReferencedObject(this, m_pointInRegionAttId, point);
}
void DieEngFormTaskBuilder::SetCamDirection(tag_t direction) {
  OM::SetReferencedObject(this, m_camDirectionAttId, direction);
}
void DieEngFormTaskBuilder::SetFinishOperation(bool finish) {
  OM::LogForWrite(this);
  m_finishOperation = finish;
}
void DieEngFormTaskBuilder::SetFrmtskStruct(DIE_FRMTSK_s* record) {
  OM::LogForWrite(this);
  m_frmtskStruct = record;
}

int DieEngFormTaskBuilder::GetNumDetails() const { return m_details == nullptr ? 0 : m_details->Length(); }

void DieEngFormTaskBuilder::SetNumDetails(int count) { OM::OM_vset_array_length(this, m_detailsAttId, count, 0); }

UString DieEngFormTaskBuilder::GetNthValueInDetails(int n) const {
  if (m_details == nullptr) return UString();
  return UString(m_details->At(n));
}

void DieEngFormTaskBuilder::SetNthValueInDetails(int n, const UString& line) {
  const int count = GetNumDetails();
  if (static_cast<unsigned>(n) > static_cast<unsigned>(count)) OM::ThrowIndexOutOfRange(n, 0, -1);
  if (n == count) SetNumDetails(count + 1);
  m_details->Set(n, line.utf8());
}

}  // namespace KTX::Tooling
