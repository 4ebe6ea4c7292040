// Method bodies of the draw-bead and draw-bead segment scripting classes that
// do more than get or set one field.
#include "jax_die_draw_bead_builder.hpp"

#include "DieEngJA_DrawBeadSegmentBuilder.hpp"
#include "ja_die_draw_bead_builder_jam.hpp"
#include "ja_die_draw_bead_segment_builder_jam.hpp"
#include "sel/Selection.hpp"
#include "sys/Error.hpp"

using KTX::tag_t;
using KTX::DieEngJA::DrawBeadBuilder;
using KTX::DieEngJA::DrawBeadSegmentBuilder;

namespace {

constexpr const char* kSource = "jax_die_draw_bead_builder";

// The draw bead a tag names. The checked conversion raises the host's error
// for a deleted tag or an object of another class; a tag that names no object
// at all (0 among them) is the bad-object error too, so that no operation is
// ever called on nothing. The class is checked also when the host's checking
// level would skip it.
DrawBeadBuilder* BeadOfTag(tag_t tag, int line) {
  KTX::OM::Object* object = KTX::OM::OM_checked_object_of_tag(tag, DrawBeadBuilder::ThisClassId);
  if (object == nullptr || !KTX::OM::OM_is_subclass(object->OmClassId(), DrawBeadBuilder::ThisClassId))
    ERROR_raise(kSource, line, KTX::Error::kBadObject, "tag %u is no draw-bead builder", tag);
  return static_cast<DrawBeadBuilder*>(object);
}

}  // namespace

int JAX_DRAW_BEAD_BUILDER_set_TaperBead(DrawBeadBuilder* builder, bool taper) {
  using namespace ja_die_draw_bead_builder_jam;
  KTX::JA::Field<Object::m_taperBead_Place()>::Set(builder, taper);
  // A taper bead never builds the sheet metal; a bead that is not tapered has
  // no manual transition. The plain setters' bodies: logged, not journalled.
  if (taper && builder->GetOutput() == KTX::DieEngJA::JA_DRAW_BEAD_BUILDER_OutputTypes_PlusSheetMetal)
    set_Output::body(builder, KTX::DieEngJA::JA_DRAW_BEAD_BUILDER_OutputTypes_PlusFemale);
  if (!taper &&
      builder->GetTransitionDefinition() == KTX::DieEngJA::JA_DRAW_BEAD_BUILDER_TransitionDefinitionTypes_Manual)
    set_TransitionDefinition::body(builder, KTX::DieEngJA::JA_DRAW_BEAD_BUILDER_TransitionDefinitionTypes_Automatic);
  return 0;
}

int JAX_DRAW_BEAD_BUILDER_set_FemaleWidthType(DrawBeadBuilder* builder, int type) {
  using Object = ja_die_draw_bead_builder_jam::Object;
  KTX::JA::Field<Object::m_femaleWidthType_Place()>::Set(builder, type);
  KTX::UICOMPJA_list* segments = builder->GetSegmentList();
  if (segments == nullptr) return 0;
  const int count = segments->size();
  for (int i = 0; i < count; ++i) {
    KTX::OM::Object* item = segments->ask_item(i);
    // The list holds segments; anything else in it is left alone rather than misread.
    if (item == nullptr || !KTX::OM::OM_is_subclass(item->OmClassId(), DrawBeadSegmentBuilder::ThisClassId)) continue;
    static_cast<DrawBeadSegmentBuilder*>(item)->SetFemaleWidthOption(type);
  }
  return 0;
}

int JAX_DRAW_BEAD_BUILDER_CreateSegmentsFromCenterlineCurves(tag_t builder) {
  return BeadOfTag(builder, __LINE__)->CreateSegmentsFromCenterlineCurves();
}

int JAX_DRAW_BEAD_BUILDER_CreateDrawBeadSegment(tag_t builder, tag_t* item) {
  *item = 0;
  DrawBeadBuilder* bead = BeadOfTag(builder, __LINE__);
  // The new segment is not appended here: the caller puts it in the segment list.
  DrawBeadSegmentBuilder* segment = KTX::DieEngJA::DrawBeadSegmentBuilderFactory::Create(bead, nullptr);
  if (segment != nullptr) *item = segment->ask_tag();
  return 0;
}

int JAX_DRAW_BEAD_BUILDER_SetDefaultDrawDirection(tag_t builder) {
  return BeadOfTag(builder, __LINE__)->SetDefaultDrawDirection();
}

int JAX_DRAW_BEAD_BUILDER_SetMoreDetails(DrawBeadBuilder* builder, int count, const char** strings) {
  builder->SetMoreDetailsInfo(count, strings);
  return 0;
}

int JAX_DRAW_BEAD_BUILDER_GetMoreDetails(DrawBeadBuilder* builder, int* count, char*** strings) {
  if (count != nullptr) *count = 0;
  if (strings != nullptr) *strings = nullptr;
  const int details = builder->GetMoreDetailsInfo(strings);
  if (count != nullptr) *count = details;
  return 0;
}

int JAX_DRAW_BEAD_SEGMENT_BUILDER_set_Symmetry(DrawBeadSegmentBuilder* builder, bool symmetry) {
  using Object = ja_die_draw_bead_segment_builder_jam::Object;
  KTX::JA::Field<Object::m_symmetry_Place()>::Set(builder, symmetry);
  if (!symmetry) KTX::JA::Field<Object::m_flow_Place()>::Set(builder, false);
  return 0;
}

int JAX_DRAW_BEAD_SEGMENT_BUILDER_set_Flow(DrawBeadSegmentBuilder* builder, bool flow) {
  using Object = ja_die_draw_bead_segment_builder_jam::Object;
  if (!builder->GetSymmetry()) flow = false;
  KTX::JA::Field<Object::m_flow_Place()>::Set(builder, flow);
  return 0;
}
