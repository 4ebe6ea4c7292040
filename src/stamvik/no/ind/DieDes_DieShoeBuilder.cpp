#include "DieDes_DieShoeBuilder.hpp"

#include "sys/Memory.hpp"

namespace KTX::DieDes {

STAMVIK_OM_INSTANCE_SIZE_DEF(DieShoeBuilder)
STAMVIK_OM_DEFINE_CLASS(DieShoeBuilder, "KTX::JAX_FEAT_BUILDER", 0x1000, &GetDieShoeBuilderInstanceSize,
                        STAMVIK_DIE_SHOE_BUILDER_ATTRIBUTES)

namespace {

template <class T>
int LengthOf(const OM::Vla<T>* array) {
  return array == nullptr ? 0 : array->Length();
}

template <class T>
T ElementOf(const OM::Vla<T>* array, int index) {
  // Without an array there is no element at any index.
  if (array == nullptr) OM::ThrowIndexOutOfRange(index, 0, -1);
  return array->At(index);
}

// An element may be written inside the array or just past its end, which
// appends it; a negative index compares as a huge one and is refused too.
template <class Grow>
void MakeRoomAt(int index, int count, Grow grow) {
  if (static_cast<unsigned>(index) > static_cast<unsigned>(count)) OM::ThrowIndexOutOfRange(index, 0, -1);
  if (index == count) grow(count + 1);
}

template <class T>
void StoreAt(OM::Vla<T>* array, int index, const T& value) {
  if (index >= array->Length()) array->ThrowIndexOutOfRange(index);
  array->Set(index, value);
}

}  // namespace

DieShoeBuilder* DieShoeBuilderFactory::Create(CM_part* part, FEATURE_RECORD* frec) {
  return Frame::CreateAndInit<DieShoeBuilder>(DieShoeBuilderClassId, [&](DieShoeBuilder* made) {
    made->InitCreate(part, frec);
  });
}

void DieShoeBuilder::InitCreate(CM_part* part, FEATURE_RECORD* frec) { init_object(part, frec); }

char* DieShoeBuilder::ask_journal_class_name() const { return SM_string_copy("Die.DieShoeBuilder"); }

void DieShoeBuilder::destroy() { cascade_destroy(); }
void DieShoeBuilder::cascade_destroy() {
  implement_destroy();
  JAX_FEAT_BUILDER::cascade_destroy();
}
void DieShoeBuilder::implement_destroy() {
  // The loop curves, cached bodies and sub-objects are released here once the builder makes them.
}

tag_t DieShoeBuilder::GetBaseFlangeSection() const { return OM::OM_ask_object_tag(m_baseFlangeSection); }
tag_t DieShoeBuilder::GetMainDeckSection() const { return OM::OM_ask_object_tag(m_mainDeckSection); }
tag_t DieShoeBuilder::GetDeckCutoutsSection() const { return OM::OM_ask_object_tag(m_deckCutoutsSection); }

void DieShoeBuilder::SetBaseFlangeSectionPtr(SC_section* section) {
  OM::SetReferencedObject(this, m_baseFlangeSectionAttId, section);
}
void DieShoeBuilder::SetMainDeckSectionPtr(SC_section* section) {
  OM::SetReferencedObject(this, m_mainDeckSectionAttId, section);
}
void DieShoeBuilder::SetMainDeckOffset(EXP_expression* offset) {
  OM::SetReferencedObject(this, m_mainDeckOffsetAttId, offset);
}
void DieShoeBuilder::SetDeckCutoutsSectionPtr(SC_section* section) {
  OM::SetReferencedObject(this, m_deckCutoutsSectionAttId, section);
}
void DieShoeBuilder::SetCenterlineSlotDepth(EXP_expression* depth) {
  OM::SetReferencedObject(this, m_centerlineSlotDepthAttId, depth);
}
void DieShoeBuilder::SetCenterlineSlotWidth(EXP_expression* width) {
  OM::SetReferencedObject(this, m_centerlineSlotWidthAttId, width);
}
void DieShoeBuilder::SetFlangeThickness(EXP_expression* thickness) {
  OM::SetReferencedObject(this, m_flangeThicknessAttId, thickness);
}
void DieShoeBuilder::SetWallThickness(EXP_expression* thickness) {
  OM::SetReferencedObject(this, m_wallThicknessAttId, thickness);
}
void DieShoeBuilder::SetDeckThickness(EXP_expression* thickness) {
  OM::SetReferencedObject(this, m_deckThicknessAttId, thickness);
}
void DieShoeBuilder::SetTagSolvaneMap(OM_tag_int_map* map) {
  OM::SetReferencedObject(this, m_tagSolvaneMapAttId, map);
}
void DieShoeBuilder::SetBaseFlangeTagPrivate(tag_t curve) {
  OM::SetReferencedObject(this, m_baseFlangeTagAttId, curve);
}

void DieShoeBuilder::SetCenterlineSlotCreate(bool create) {
  OM::LogForWrite(this);
  m_centerlineSlotCreate = create;
}
void DieShoeBuilder::SetDistanceTolerance(double tolerance) {
  OM::LogForWrite(this);
  m_distanceTolerance = tolerance;
}
void DieShoeBuilder::SetAngleTolerance(double tolerance) {
  OM::LogForWrite(this);
  m_angleTolerance = tolerance;
}

// ---- warning numbers ----

int DieShoeBuilder::GetWarningNumbers(int index) const { return ElementOf(m_warningNumbers, index); }
int DieShoeBuilder::GetWarningNumbersLength() const { return LengthOf(m_warningNumbers); }
void DieShoeBuilder::SetWarningNumbers(int index, int number) {
  MakeRoomAt(index, GetWarningNumbersLength(), [this](int n) { SetWarningNumbersLength(n); });
  StoreAt(m_warningNumbers, index, number);
}
void DieShoeBuilder::SetWarningNumbersLength(int length) {
  OM::OM_vset_array_length(this, m_warningNumbersAttId, length, 0);
}
void DieShoeBuilder::SetWarningNumber(int number) {
  const int count = GetWarningNumbersLength();
  for (int i = 0; i < count; ++i)
    if (m_warningNumbers->At(i) == number) return;
  SetWarningNumbers(count, number);
}

// ---- loop curves ----

tag_t DieShoeBuilder::GetMainDeckLoopTag(int index) const { return ElementOf(m_mainDeckLoopTags, index); }
int DieShoeBuilder::GetNumberMainDeckLoopTags() const { return LengthOf(m_mainDeckLoopTags); }
void DieShoeBuilder::SetMainDeckLoopTag(int index, tag_t tag) {
  MakeRoomAt(index, GetNumberMainDeckLoopTags(), [this](int n) { SetNumberMainDeckLoopTags(n); });
  m_mainDeckLoopTags->SetOneWayTagValue(m_mainDeckLoopTagsAttId, index, tag);
}
void DieShoeBuilder::SetNumberMainDeckLoopTags(int count) {
  OM::OM_vset_array_length(this, m_mainDeckLoopTagsAttId, count, 0);
}

tag_t DieShoeBuilder::GetDeckCutoutLoopTag(int index) const { return ElementOf(m_deckCutoutsLoopTags, index); }
int DieShoeBuilder::GetNumberDeckCutoutLoopTags() const { return LengthOf(m_deckCutoutsLoopTags); }
void DieShoeBuilder::SetDeckCutoutLoopTag(int index, tag_t tag) {
  MakeRoomAt(index, GetNumberDeckCutoutLoopTags(), [this](int n) { SetNumberDeckCutoutLoopTags(n); });
  m_deckCutoutsLoopTags->SetOneWayTagValue(m_deckCutoutsLoopTagsAttId, index, tag);
}
void DieShoeBuilder::SetNumberDeckCutoutLoopTags(int count) {
  OM::OM_vset_array_length(this, m_deckCutoutsLoopTagsAttId, count, 0);
}

// ---- cached kernel bodies ----

#define STAMVIK_DIE_SHOE_BODY_ARRAY(Element, Plural, field)                                      \
  int DieShoeBuilder::Get##Element(int index) const { return ElementOf(field, index); }            \
  int DieShoeBuilder::GetNumber##Plural() const { return LengthOf(field); }                        \
  void DieShoeBuilder::Set##Element(int index, int body) {                                         \
    MakeRoomAt(index, GetNumber##Plural(), [this](int n) { SetNumber##Plural(n); });               \
    StoreAt(field, index, body);                                                                   \
  }                                                                                                \
  void DieShoeBuilder::SetNumber##Plural(int count) {                                              \
    OM::OM_vset_array_length(this, field##AttId, count, 0);                                        \
  }

STAMVIK_DIE_SHOE_BODY_ARRAY(SolvaneMainDeck, SolvaneMainDecks, m_solvaneMainDecks)
STAMVIK_DIE_SHOE_BODY_ARRAY(SolvaneMainDeckIntersection, SolvaneMainDeckIntersections,
                            m_solvaneMainDeckIntersections)
STAMVIK_DIE_SHOE_BODY_ARRAY(SolvaneMainDeckSubtraction, SolvaneMainDeckSubtractions, m_solvaneMainDeckSubtractions)
STAMVIK_DIE_SHOE_BODY_ARRAY(SolvaneDeckCutout, SolvaneDeckCutouts, m_solvaneDeckCutouts)
STAMVIK_DIE_SHOE_BODY_ARRAY(SolvaneDeckCutoutIntersection, SolvaneDeckCutoutIntersections,
                            m_solvaneDeckCutoutIntersections)

#undef STAMVIK_DIE_SHOE_BODY_ARRAY

}  // namespace KTX::DieDes
