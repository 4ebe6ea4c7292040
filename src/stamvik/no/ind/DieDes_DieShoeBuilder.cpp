#include "DieDes_DieShoeBuilder.hpp"

#include <cmath>
#include <exception>
#include <utility>
#include <vector>

#include "DieDesJA_GenericBodyBuilder.hpp"
#include "DieDesJA_ParameterEntities.hpp"
#include "OnEveryExit.hpp"
#include "afl/BodyUtils.hpp"
#include "afl/DieAttributes.hpp"
#include "afl/Module.hpp"
#include "exp/Expression.hpp"
#include "geom/Curve.hpp"
#include "geom/Geometry.hpp"
#include "geom/Sketch.hpp"
#include "kernel/Kernel.hpp"
#include "afl/DieEngParms.hpp"
#include "sys/Abort.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "sys/Settings.hpp"
#include "sys/TextFile.hpp"
#include "upd/Update.hpp"

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

namespace {

constexpr const char* kSource = "DieDes_DieShoeBuilder";
constexpr double kMargin = 1e-10;

// The shoe's own names for shared message numbers, where they differ.
constexpr int kBadBaseOrientation = Messages::kNoBaseOrientation;
constexpr int kNoBaseFlangeLoop = Messages::kNoBaseFlange;
constexpr int kOpenBaseFlangeLoop = Messages::kOpenBaseFlange;
constexpr int kBadDistanceTolerance = Messages::kGeneralDistanceToleranceTooSmall;
constexpr int kBadAngleTolerance = Messages::kGeneralAngleToleranceTooSmall;
constexpr int kCorrupted = Messages::kNoDatabaseParms;
using Messages::kBadMainDeckPlane;
using Messages::kBadSlotDirection;
using Messages::kDeckTooThin;
using Messages::kFlangeTooThin;
using Messages::kMainDeckTooLow;
using Messages::kNoTarget;
using Messages::kNotOneBaseFlangeLoop;
using Messages::kOpenDeckCutoutLoop;
using Messages::kOpenMainDeckLoop;
using Messages::kSlotDepthTooSmall;
using Messages::kSlotWidthTooSmall;
using Messages::kTargetNotABody;
using Messages::kWallTooThin;
using Messages::kWrongParms;

// The parameters' entities.
enum Entity : int {
  kBaseOrientationEntity = 0,
  kBaseFlangeEntity = 1,
  kMainDeckEntity = 2,
  kMainDeckPlaneEntity = 3,
  kDeckCutoutsEntity = 4,
  kSlotDirectionEntity = 5,
  kExpressionsEntity = 6,
  kSlotFlagEntity = 7,
};
constexpr int kExpressions = 6;

// The three counts of a section (0 for none), its lists freed.
struct LoopCounts {
  int first = 0, second = 0, third = 0;
};
LoopCounts CountLoops(const SC_section* section) {
  LoopCounts counts;
  if (section == nullptr) return counts;
  tag_t *firstItems = nullptr, *secondItems = nullptr, *thirdItems = nullptr;
  section->ask_loop_summary(&counts.first, &firstItems, &counts.second, &secondItems, &counts.third, &thirdItems);
  SM_free(firstItems);
  SM_free(secondItems);
  SM_free(thirdItems);
  return counts;
}

double ValueOf(const EXP_expression* expression) {
  return expression != nullptr ? EXP_ask_value_of_exp(expression) : 0.0;
}

EXP_expression* NewLength(const char* text) {
  EXP_expression* made = nullptr;
  EXP_create_sys_exp_with_units_all_errors(text, UNIT_ask_default_unit_obj_for_measure(0), &made);
  return made;
}

DieBooleanBuilder* ItemAt(const UICOMPJA_list* list, int index) {
  return dynamic_cast<DieBooleanBuilder*>(list->ask_item(index));
}

// A tool's kernel body into the map: the body held before is deleted
// unless it is the one being stored.
void SetTagSolvaneMapEntry(OM_tag_int_map* map, tag_t tool, int body) {
  int held = 0;
  if (map->Find(tool, &held) && held != 0 && held != body) DieDesUtilsDeleteBody(held);
  map->Insert(tool, body);
}

double Dot(const double a[3], const double b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// A loop curve the builder no longer needs: asleep, and gone with the next update.
void SleepAndForget(tag_t curve) {
  if (curve == 0) return;
  RM_set_sleep_state(curve, 1);
  UPDATE_log_entity_to_delete(curve);
}

}  // namespace

void DieShoeBuilder::InitCreate(CM_part* part, FEATURE_RECORD* frec) {
  init_object(part, frec);
  PART_part* owningPart = ask_owning_part();

  DiePlaneBuilder* base = DiePlaneBuilderFactory::Create(owningPart, true, true, true, true, true);
  base->SetApplScopePlane(3);
  OM::OM_set_pointer(this, m_baseOrientationAttId, base);
  DiePlaneBuilder* deck = DiePlaneBuilderFactory::Create(owningPart, true, true, true, false, false);
  deck->SetApplScopePlane(3);
  OM::OM_set_pointer(this, m_mainDeckPlaneAttId, deck);
  DieDirectionBuilder* slot = DieDirectionBuilderFactory::Create(owningPart, true, true, true, false, false, false);
  slot->SetApplScopeDirection(3);
  OM::OM_set_pointer(this, m_centerlineSlotDirectionAttId, slot);

  // The list owns its items: an entry emptied, or the list deleted, takes
  // the item with it.
  UICOMPJA_list* booleans = UICOMPJA_listFactory::object(PART_ask_cm_part_of_part_p(owningPart));
  booleans->set_owns_items(true);
  booleans->set_item_class("Die.DieBooleanBuilder");
  OM::OM_set_pointer(this, m_dieBooleansListAttId, booleans);

  SetDistanceTolerance(TOLER_ask_distance_tol());
  SetAngleTolerance(TOLER_ask_angular_tol());

  OM::OM_set_pointer(this, m_centerlineSlotAttributesAttId,
                     DieAttributesBuilderFactory::Create(owningPart, true, true, false));
  OM::OM_set_pointer(this, m_mainDeckAttributesAttId, DieAttributesBuilderFactory::Create(owningPart, true, true, false));
  OM::OM_set_pointer(this, m_baseAttributesAttId, DieAttributesBuilderFactory::Create(owningPart, true, true, false));
  OM::OM_set_pointer(this, m_tagSolvaneMapAttId, OM_tag_int_mapFactory::Create());

  if (frec != nullptr) {
    set_frec(frec);
    ConvertFrecToBuilderData(frec);
    return;
  }

  const bool inContext = DieDesUtilsAskInContext(1);
  const double distance = m_distanceTolerance;
  auto newSection = [&](bool ordered) {
    SC_section* section =
        SC_sectionFactory::object(OM::OM_ask_object_tag(owningPart), 0.95 * distance, distance, m_angleTolerance);
    if (ordered) section->OrderLoops();
    if (inContext) section->set_in_context(inContext);
    return section;
  };
  OM::OM_set_pointer(this, m_baseFlangeSectionAttId, newSection(false));
  OM::OM_set_pointer(this, m_mainDeckSectionAttId, newSection(true));
  OM::OM_set_pointer(this, m_mainDeckOffsetAttId, NewLength("250.0"));
  OM::OM_set_pointer(this, m_deckCutoutsSectionAttId, newSection(true));
  OM::OM_set_pointer(this, m_centerlineSlotDepthAttId, NewLength("15.0"));
  OM::OM_set_pointer(this, m_centerlineSlotWidthAttId, NewLength("50.0"));
  OM::OM_set_pointer(this, m_flangeThicknessAttId, NewLength("45.0"));
  OM::OM_set_pointer(this, m_wallThicknessAttId, NewLength("45.0"));
  OM::OM_set_pointer(this, m_deckThicknessAttId, NewLength("45.0"));
}

// ---- validation ----------------------------------------------------------------------

int DieShoeBuilder::validate_nothrow() {
  if (m_baseOrientation == nullptr || m_baseOrientation->validate_nothrow() != 0) return kBadBaseOrientation;

  const LoopCounts flange = CountLoops(m_baseFlangeSection);
  if (flange.first < 1) return kNoBaseFlangeLoop;
  if (flange.second >= 1) return kOpenBaseFlangeLoop;
  if (flange.third != 1) return kNotOneBaseFlangeLoop;

  const LoopCounts decks = CountLoops(m_mainDeckSection);
  if (decks.second >= 1) return kOpenMainDeckLoop;
  if (m_mainDeckPlane != nullptr && m_mainDeckPlane->validate_nothrow() != 0) return kBadMainDeckPlane;

  const double least = m_distanceTolerance + kMargin;
  if (GetFlangeThicknessValue() < least) return kFlangeTooThin;
  if (GetWallThicknessValue() < least) return kWallTooThin;
  const double deckThickness = GetDeckThicknessValue();
  if (deckThickness < least) return kDeckTooThin;

  if (decks.third >= 1) {
    tag_t tag = 0;
    double basePoint[3], baseMatrix[9], deckPoint[3], deckMatrix[9];
    if (!GetBaseOrientation(&tag, basePoint, baseMatrix) || !GetMainDeckOrientation(&tag, deckPoint, deckMatrix))
      return kMainDeckTooLow;
    // The deck's normal is turned to face the base, so that the distance
    // from the deck down to the base comes out positive.
    double normal[3] = {deckMatrix[6], deckMatrix[7], deckMatrix[8]};
    if (Dot(normal, baseMatrix + 6) > kMargin)
      for (double& n : normal) n = -n;
    if (DIEDES_UTILS__dist_to_plane(basePoint, deckPoint, normal) < m_distanceTolerance + deckThickness)
      return kMainDeckTooLow;
  }

  if (CountLoops(m_deckCutoutsSection).second >= 1) return kOpenDeckCutoutLoop;

  if (m_centerlineSlotCreate) {
    if (GetDepthValue() < least) return kSlotDepthTooSmall;
    if (GetWidthValue() < least) return kSlotWidthTooSmall;
    if (m_centerlineSlotDirection == nullptr || m_centerlineSlotDirection->validate_nothrow() != 0)
      return kBadSlotDirection;
  }

  if (m_distanceTolerance < kMargin) return kBadDistanceTolerance;
  if (m_angleTolerance < kMargin) return kBadAngleTolerance;
  return 0;
}

bool DieShoeBuilder::GetBaseOrientation(tag_t* tag, double point[3], double matrix[9]) const {
  return m_baseOrientation != nullptr && m_baseOrientation->GetPlaneDefinition(tag, point, matrix);
}

bool DieShoeBuilder::GetMainDeckOrientation(tag_t* tag, double point[3], double matrix[9]) const {
  *tag = 0;
  for (int i = 0; i < 3; ++i) point[i] = 0.0;
  for (int i = 0; i < 9; ++i) matrix[i] = i % 4 == 0 ? 1.0 : 0.0;
  const bool deck = m_mainDeckPlane != nullptr && m_mainDeckPlane->GetPlaneDefinition(tag, point, matrix);
  if (!deck && !GetBaseOrientation(tag, point, matrix)) return false;
  const double offset = GetOffsetValue();
  for (int i = 0; i < 3; ++i) point[i] += offset * matrix[6 + i];
  return true;
}

double DieShoeBuilder::GetOffsetValue() const { return ValueOf(m_mainDeckOffset); }
double DieShoeBuilder::GetDepthValue() const { return ValueOf(m_centerlineSlotDepth); }
double DieShoeBuilder::GetWidthValue() const { return ValueOf(m_centerlineSlotWidth); }
double DieShoeBuilder::GetFlangeThicknessValue() const { return ValueOf(m_flangeThickness); }
double DieShoeBuilder::GetWallThicknessValue() const { return ValueOf(m_wallThickness); }
double DieShoeBuilder::GetDeckThicknessValue() const { return ValueOf(m_deckThickness); }

// ---- selections, map and references ---------------------------------------------------

void DieShoeBuilder::GetSelectedObjects(int* count, tag_t** tags) const {
  *count = 0;
  *tags = nullptr;
  try {
    if (m_baseOrientation != nullptr) m_baseOrientation->GetSelectedObjects(count, tags);
    DIEDES_GENERIC_BODY_PARMS::DieDesBuilderGetSectionObjects(m_baseFlangeSection, count, tags);
    DIEDES_GENERIC_BODY_PARMS::DieDesBuilderGetSectionObjects(m_mainDeckSection, count, tags);
    if (m_mainDeckPlane != nullptr) m_mainDeckPlane->GetSelectedObjects(count, tags);
    DIEDES_GENERIC_BODY_PARMS::DieDesBuilderGetSectionObjects(m_deckCutoutsSection, count, tags);
    if (m_centerlineSlotDirection != nullptr) m_centerlineSlotDirection->GetSelectedObjects(count, tags);
    if (m_dieBooleansList != nullptr)
      for (int i = 0, n = m_dieBooleansList->size(); i < n; ++i)
        if (DieBooleanBuilder* item = ItemAt(m_dieBooleansList, i)) item->GetSelectedObjects(count, tags);
  } catch (...) {
    SM_free(*tags);
    *tags = nullptr;
    *count = 0;
    throw;
  }
}

void DieShoeBuilder::PopulateExtractionTable() const {
  if (DIEDES_UTILS__get_extraction_table() != nullptr) return;
  int count = 0;
  tag_t* tags = nullptr;
  GetSelectedObjects(&count, &tags);
  DieDesJA::GenericBodyBuilder::CreateExtractionTable(get_frec(), count, tags);
}

void DieShoeBuilder::UpdateMap() {
  if (m_tagSolvaneMap == nullptr || m_dieBooleansList == nullptr) return;
  for (int i = 0, n = m_dieBooleansList->size(); i < n; ++i)
    if (DieBooleanBuilder* item = ItemAt(m_dieBooleansList, i)) item->UpdateMap(m_tagSolvaneMap);
}

void DieShoeBuilder::GetModifyingBrefs(FEATURE_RECORD* frec, int* count, tag_t** brefs) const {
  if (m_dieBooleansList == nullptr) return;
  for (int i = 0, n = m_dieBooleansList->size(); i < n; ++i)
    if (DieBooleanBuilder* item = ItemAt(m_dieBooleansList, i)) item->GetModifyingBrefs(frec, count, brefs);
}

bool DieShoeBuilder::AllowBooleanEdits(FEATURE_RECORD* frec) const {
  if (get_mode() == 0 || frec == nullptr) return true;
  if (get_mode() == 2) return false;
  if (SUP_is_manual_suppressed_frec(frec) || SUP_is_frec_suppressed_by_exp(frec) ||
      SUP_is_propagation_suppressed_frec(frec) || SUP_is_update_failure_suppressed_frec(frec))
    return false;
  return !SUP_is_dependency_suppressed_frec(frec);
}

// ---- booleans and commit ------------------------------------------------------------------

bool DieShoeBuilder::ForceDieDesignFeatureUpdate() const {
  bool logged = false;
  if (m_dieBooleansList != nullptr)
    for (int i = 0, n = m_dieBooleansList->size(); i < n; ++i)
      if (DieBooleanBuilder* item = ItemAt(m_dieBooleansList, i); item != nullptr && item->ForceDieDesignFeatureUpdate())
        logged = true;
  // An edited feature is brought up to date by its own update.
  return get_frec() == nullptr && logged;
}

int DieShoeBuilder::ApplyBooleanBodies(FEATURE_RECORD* frec, tag_t target, int targetBody, bool featureMode) {
  if (featureMode ? target == 0 : targetBody == 0) return kNoTarget;
  if (!featureMode && !ZV_ENTITY_is(targetBody)) return kTargetNotABody;

  int error = 0;
  int mark = UNDO_QD_set_mark(1, nullptr, &error);
  if (error != 0) mark = 0;
  int rc = 0;
  try {
    if (m_dieBooleansList != nullptr)
      for (int i = 0, n = m_dieBooleansList->size(); i < n && rc == 0; ++i)
        if (const DieBooleanBuilder* item = ItemAt(m_dieBooleansList, i))
          rc = item->ApplyBooleanBodies(frec, target, targetBody, featureMode, m_distanceTolerance);
  } catch (const std::exception& e) {
    rc = Error::HandleAsBuilder(e, kSource, __LINE__);
  }
  // The booleans made before a failing one go with it.
  if (rc != 0 && mark != 0) UNDO_QD_undo_to_mark(mark, nullptr);
  if (mark != 0) UNDO_QD_delete_mark(mark, nullptr);
  return rc;
}

bool DieShoeBuilder::HasBooleanItems() const {
  if (m_dieBooleansList == nullptr) return false;
  for (int i = m_dieBooleansList->size() - 1; i >= 0; --i) {
    const DieBooleanBuilder* item = ItemAt(m_dieBooleansList, i);
    if (item == nullptr) continue;
    const int type = item->GetBooleanOptions();
    if (type >= JA_DIE_BOOLEAN_BUILDER_boolean_type_Unite && type <= JA_DIE_BOOLEAN_BUILDER_boolean_type_Intersect)
      return true;
  }
  return false;
}

void DieShoeBuilder::UpdateWithoutMessages() {
  // The update shows nothing of its work: a display held back at level 2
  // is held back further while it runs.
  const int level = DSS_ask_suppress_display();
  if (level == 2) DSS_set_suppress_display(3);
  try {
    UPDATE_do_update_no_message();
  } catch (const std::exception& e) {
    Error::HandleAsBuilder(e, kSource, __LINE__);
  }
  if (level == 2) Stamvik::RunNoted("DSS_set_suppress_display", [] { DSS_set_suppress_display(2); });
}

int DieShoeBuilder::commit_feature(FEATURE_RECORD** frec) {
  FEATURE_RECORD* record = get_frec();
  bool booleans = false;
  bool regenerate = false;
  tag_t body = 0;
  int rc = 0;
  {
    DieDesJA::GenericBodyBuilder::ExtractionTableScope table;
    PopulateExtractionTable();
    if (record != nullptr) {
      rc = ConvertBuilderDataToFrec(record);
      if (rc == 0) rc = DIEENG_UpdateMultipleBodyFrec(record);
      if (rc != 0) return rc;
      UPDATE_log_object_to_update(record);
      booleans = AllowBooleanEdits(record) && HasBooleanItems();
      if (booleans) UpdateWithoutMessages();
    } else {
      if (ForceDieDesignFeatureUpdate()) DieDesJA::GenericBodyBuilder::DoUpdate();
      DieShoe* parms = DieShoeFactory::Create();
      rc = ToParms(parms);
      if (rc == 0) rc = DIEENG_CreateFrecWithParms(parms, 0, &record);
      if (rc != 0) return rc;
      // Success without a record would leave the caller believing a feature exists.
      if (record == nullptr) return kWrongParms;
      parms->SetFeatureRecord(record);
      if (FMI_invoke_post_update(record) == 0) {
        body = FREC_ask_body_eid(OM::OM_ask_object_tag(record));
        regenerate = true;
      }
      booleans = m_dieBooleansList != nullptr && m_dieBooleansList->size() > 0;
    }
  }
  if (frec != nullptr) *frec = record;

  if (booleans) {
    rc = CommitBooleans(record, &body);
    if (rc != 0) return rc;
  }
  if (regenerate && body != 0) DSS_REGEN_regen_object(body);
  return 0;
}

int DieShoeBuilder::CommitBooleans(FEATURE_RECORD* record, tag_t* body) {
  auto* parms =
      DieDesJA::FeatureParmsOfClassOrRaise<DieShoe>(record, kSource, __LINE__, "Feature is not a Die Shoe.");
  if (*body == 0) *body = FREC_ask_body_eid(OM::OM_ask_object_tag(record));
  const int kernelBody = *body != 0 ? ES_solid_ask_solvane_tag(*body) : 0;
  if (*body == 0 || kernelBody == 0) return get_mode() == 0 ? kNoTarget : 0;

  CM_part* current = CM__ask_current_part_ptr();
  DieShoeBuilder* pruned = DieShoeBuilderFactory::Create(current, record);
  DieShoeBuilder* complete = DieShoeBuilderFactory::Create(current, record);
  int rc = 0;
  try {
    // The feature keeps only its unite items: the others are applied once,
    // now, and not again when the feature updates.
    if (UICOMPJA_list* list = pruned->m_dieBooleansList; list != nullptr)
      for (int i = list->size() - 1; i >= 0; --i)
        if (DieBooleanBuilder* item = ItemAt(list, i);
            item != nullptr && item->GetBooleanOptions() != JA_DIE_BOOLEAN_BUILDER_boolean_type_Unite) {
          if (SELECT_OBJECT_list* tools = item->GetSelectBodies()) tools->clear();
          list->set_item(i, nullptr);
        }
    rc = FromListBuilder(record, parms, pruned->m_dieBooleansList, pruned->m_tagSolvaneMap);
    if (rc == 0) {
      DIEDES_UTILS_boolean_tolerance_derive(1);
      rc = complete->ApplyBooleanBodies(record, *body, kernelBody, true);
      DIEDES_UTILS_boolean_tolerance_derive(0);
    }
  } catch (const std::exception& e) {
    rc = Error::HandleAsBuilder(e, kSource, __LINE__);
    DIEDES_UTILS_boolean_tolerance_derive(0);
    DIEDES_UTILS_progress_bar_destroy();
    DIEDES_UTILS_clear_build_state();
  }
  parms->TakeOverTemporaryBuilder(pruned);
  parms->TakeOverTemporaryBuilder(complete);
  return rc;
}

// ---- parameters ------------------------------------------------------------------------

int DieShoeBuilder::ToParms(DieShoe* parms) {
  if (parms == nullptr) return kWrongParms;
  FEATURE_RECORD* owner = parms->GetSubObjectOwner();
  if (int rc = DieDesJA::WritePlaneEntity(parms, kBaseOrientationEntity, m_baseOrientation); rc != 0) return rc;
  if (int rc = DieDesJA::WriteSectionEntity(parms, kBaseFlangeEntity, 0, m_baseFlangeSection); rc != 0) return rc;
  if (int rc = DieDesJA::WriteSectionEntity(parms, kMainDeckEntity, 0, m_mainDeckSection); rc != 0) return rc;
  if (int rc = DieDesJA::WritePlaneEntity(parms, kMainDeckPlaneEntity, m_mainDeckPlane); rc != 0) return rc;
  if (int rc = DieDesJA::WriteSectionEntity(parms, kDeckCutoutsEntity, 0, m_deckCutoutsSection); rc != 0) return rc;
  if (int rc = DieDesJA::WriteDirectionEntity(parms, kSlotDirectionEntity, m_centerlineSlotDirection); rc != 0)
    return rc;
  if (int rc = FromListBuilder(owner, parms, m_dieBooleansList, m_tagSolvaneMap); rc != 0) return rc;
  EXP_expression* const expressions[kExpressions] = {m_mainDeckOffset,  m_centerlineSlotDepth, m_centerlineSlotWidth,
                                                     m_flangeThickness, m_wallThickness,       m_deckThickness};
  if (int rc = DieDesJA::WriteExpressionsEntity(parms, kExpressionsEntity, 0, kExpressions, expressions); rc != 0)
    return rc;
  const int slot = m_centerlineSlotCreate ? 1 : 0;
  if (int rc = DieDesJA::WriteIntsEntity(parms, kSlotFlagEntity, 0, 1, &slot); rc != 0) return rc;

  OM::LogForWrite(parms);
  parms->SetDistanceTolerance(m_distanceTolerance);
  parms->SetAngleTolerance(m_angleTolerance);

  OM::Object* attributesOwner = OM_ask_subobject_owner(parms);
  const DieAttributesBuilder* records[3] = {m_centerlineSlotAttributes, m_mainDeckAttributes, m_baseAttributes};
  for (int which = DieShoe::kSlotAttributes; which <= DieShoe::kBaseAttributes; ++which)
    if (int rc = DieDesJA::WriteDieAttributesRecord(parms->GetShoeAttributes(which), attributesOwner, records[which]);
        rc != 0)
      return rc;
  parms->StoreAttributesEntity(attributesOwner);
  return 0;
}

int DieShoeBuilder::ConvertBuilderDataToFrec(FEATURE_RECORD* frec) {
  auto* parms = DieDesJA::FeatureParmsOfClassOrRaise<DieShoe>(frec, kSource, __LINE__, "Feature is not a Die Shoe.");
  return ToParms(parms);
}

void DieShoeBuilder::ConvertFrecToBuilderData(FEATURE_RECORD* frec) {
  auto* parms = DieDesJA::FeatureParmsOfClassOrRaise<DieShoe>(frec, kSource, __LINE__, "Feature is not a Die Shoe.");
  PART_part* workPart = CONTEXT_ask_work_part_p();

  DieDesJA::ReadPlaneEntity(parms, kBaseOrientationEntity, m_baseOrientation);
  DieDesJA::ReadPlaneEntity(parms, kMainDeckPlaneEntity, m_mainDeckPlane);
  // A section the feature holds is referred to; without one the builder
  // makes its own, and the feature is left as it is.
  auto readSection = [&](const OM::AttributeId& attribute, int index, bool ordered) {
    const DIEDES_GENERIC_ENTITY* entity = DieDesJA::EntityToRead(parms, index);
    const tag_t stored = entity != nullptr && entity->AskKind() == DIEDES_GENERIC_ENTITY::kTags && entity->AskCount() > 0
                             ? entity->AskTag(0)
                             : 0;
    if (stored != 0) {
      OM::SetReferencedObject(this, attribute, OM::TagToObject<SC_section>(stored));
      return;
    }
    const double distance = parms->GetDistanceTolerance();
    SC_section* made = SC_sectionFactory::object(OM::OM_ask_object_tag(workPart), 0.95 * distance, distance,
                                                 parms->GetAngleTolerance());
    if (ordered) made->OrderLoops();
    OM::OM_set_pointer(this, attribute, made);
  };
  readSection(m_baseFlangeSectionAttId, kBaseFlangeEntity, false);
  readSection(m_mainDeckSectionAttId, kMainDeckEntity, true);
  readSection(m_deckCutoutsSectionAttId, kDeckCutoutsEntity, true);
  DieDesJA::ReadDirectionEntity(parms, kSlotDirectionEntity, m_centerlineSlotDirection);
  ToListBuilder(parms, m_dieBooleansList, m_tagSolvaneMap);

  if (DIEDES_GENERIC_ENTITY* values = DieDesJA::EntityToRead(parms, kExpressionsEntity);
      values != nullptr && values->AskKind() == DIEDES_GENERIC_ENTITY::kExpressions && values->AskCount() >= kExpressions) {
    SetMainDeckOffset(values->AskExpression(0));
    SetCenterlineSlotDepth(values->AskExpression(1));
    SetCenterlineSlotWidth(values->AskExpression(2));
    SetFlangeThickness(values->AskExpression(3));
    SetWallThickness(values->AskExpression(4));
    SetDeckThickness(values->AskExpression(5));
  }
  if (DIEDES_GENERIC_ENTITY* flag = DieDesJA::EntityToRead(parms, kSlotFlagEntity);
      flag != nullptr && flag->AskKind() == DIEDES_GENERIC_ENTITY::kInts && flag->AskCount() >= 1)
    SetCenterlineSlotCreate(flag->AskInt(0) == 1);
  if (parms->GetNumEntities() >= 1) {
    SetDistanceTolerance(parms->GetDistanceTolerance());
    SetAngleTolerance(parms->GetAngleTolerance());
  }

  DieAttributesBuilder* records[3] = {m_centerlineSlotAttributes, m_mainDeckAttributes, m_baseAttributes};
  for (int which = DieShoe::kSlotAttributes; which <= DieShoe::kBaseAttributes; ++which) {
    DieAttributesRecord* record = parms->AskShoeAttributes(which);
    try {
      DieDesJA::ReadDieAttributesRecord(record, records[which]);
    } catch (...) {
      SM_free(record);
      throw;
    }
    SM_free(record);
  }
}

int DieShoeBuilder::FromListBuilder(FEATURE_RECORD* frec, DieShoe* parms, UICOMPJA_list* list, OM_tag_int_map* map) {
  std::vector<DieBooleanBuilder*> items;
  if (list != nullptr)
    for (int i = 0, n = list->size(); i < n; ++i)
      if (DieBooleanBuilder* item = ItemAt(list, i)) items.push_back(item);
  if (items.empty()) {
    parms->ClearDieShoeBooleanData(frec);
    return 0;
  }

  const int count = static_cast<int>(items.size());
  parms->CreateDieShoeBooleanTypes();
  // Items past the new end let go of what they hold for the feature first.
  for (int i = parms->GetNumDieShoeBooleanItems() - 1; i >= count; --i) {
    if (DIEDES_GENERIC_bref* surplus = parms->GetNthDieShoeBooleanItem(i)) {
      if (int rc = surplus->Release(frec); rc != 0) return rc;
      parms->SetNthDieShoeBooleanItem(i, nullptr);
      OM_delete_object(surplus);
    }
  }
  for (int i = parms->GetNumDieShoeSubtractItems() - 1; i >= count; --i) {
    if (DIEDES_GENERIC_latent_body* surplus = parms->GetNthDieShoeSubtractItem(i)) {
      parms->SetNthDieShoeSubtractItem(i, nullptr);
      OM_delete_object(surplus);
    }
  }
  parms->SetNumDieShoeBooleanItems(count);
  parms->SetNumDieShoeSubtractItems(count);
  for (int i = 0; i < count; ++i) {
    if (parms->GetNthDieShoeBooleanItem(i) == nullptr)
      parms->SetNthDieShoeBooleanItem(i, DIEDES_GENERIC_brefFactory::Create());
    if (parms->GetNthDieShoeSubtractItem(i) == nullptr)
      parms->SetNthDieShoeSubtractItem(i, DIEDES_GENERIC_latent_bodyFactory::Create());
  }

  int changed = parms->TracksBooleanChanges() ? 1 : 0;
  std::vector<int> types(items.size());
  for (int i = 0; i < count; ++i) {
    types[static_cast<std::size_t>(i)] = items[static_cast<std::size_t>(i)]->GetBooleanOptions();
    int tools = 0;
    tag_t* tags = nullptr;
    if (SELECT_OBJECT_list* selected = items[static_cast<std::size_t>(i)]->GetSelectBodies()) selected->ask_tags(&tools, &tags);
    int rc = 0;
    {
      const Stamvik::OnEveryExit freeTags("SM_free", [tags] { SM_free(tags); });
      const DIEDES_ENTITY_CONTEXT context = DieDesJA::EntityContext(parms, tools > 0 ? 1 : 0);
      rc = DieShoe::SetDieShoeBooleanTools(parms->GetNthDieShoeBooleanItem(i), &context, tools, tags, &changed);
    }
    if (rc != 0) return rc;
    if (map != nullptr && tools == 0) parms->GetNthDieShoeSubtractItem(i)->Empty();
  }
  const DIEDES_ENTITY_CONTEXT context = DieDesJA::EntityContext(parms, 0);
  if (int rc = parms->SetDieShoeBooleanTypes(&context, count, types.data(), &changed); rc != 0) return rc;
  if (changed == 2) parms->NoteBooleanDataChanged(frec);
  return 0;
}

void DieShoeBuilder::ToListBuilder(DieShoe* parms, UICOMPJA_list* list, OM_tag_int_map* map) {
  const DIEDES_GENERIC_int* types = parms != nullptr ? parms->GetDieShoeBooleanTypes() : nullptr;
  if (types == nullptr || list == nullptr) return;
  const int count = parms->GetNumDieShoeBooleanItems();
  if (count == 0) return;
  if (types->AskCount() != count) ERROR_raise(kSource, __LINE__, kCorrupted, "Permanent data base is corrupted.");

  for (int i = 0; i < count; ++i) {
    const DIEDES_GENERIC_bref* stored = parms->GetNthDieShoeBooleanItem(i);
    if (stored == nullptr) continue;
    DieBooleanBuilder* item = DieBooleanBuilderFactory::Create(CONTEXT_ask_work_part_p());
    // Appended first, so that the list, which owns it, takes it along
    // should anything below fail.
    OM::Object* appended = item;
    list->append_items(1, &appended);
    item->SetBooleanOptions(static_cast<JA_DIE_BOOLEAN_BUILDER_boolean_type>(types->AskInt(i)));
    int tools = 0;
    tag_t* tags = nullptr;
    stored->AskTags(&tools, &tags);
    try {
      if (tools > 0) item->GetSelectBodies()->set_tags(tools, tags);
      const DIEDES_GENERIC_latent_body* bodies =
          i < parms->GetNumDieShoeSubtractItems() ? parms->GetNthDieShoeSubtractItem(i) : nullptr;
      if (map != nullptr && bodies != nullptr && tools > 0 && bodies->AskCount() == tools)
        for (int j = 0; j < tools; ++j) SetTagSolvaneMapEntry(map, tags[j], bodies->AskInt(j));
    } catch (...) {
      SM_free(tags);
      throw;
    }
    SM_free(tags);
  }
}

char* DieShoeBuilder::ask_journal_class_name() const { return SM_string_copy("Die.DieShoeBuilder"); }

void DieShoeBuilder::destroy() { cascade_destroy(); }
void DieShoeBuilder::cascade_destroy() {
  implement_destroy();
  JAX_FEAT_BUILDER::cascade_destroy();
}
void DieShoeBuilder::implement_destroy() {
  // The loop curves go as a rebuild lets them go: emptying the arrays alone
  // would leave them in the part.
  for (int i = 0, n = GetNumberMainDeckLoopTags(); i < n; ++i) SleepAndForget(GetMainDeckLoopTag(i));
  for (int i = 0, n = GetNumberDeckCutoutLoopTags(); i < n; ++i) SleepAndForget(GetDeckCutoutLoopTag(i));
  if (const tag_t flange = m_baseFlangeTag; flange != 0) {
    SetBaseFlangeTagPrivate(0);
    SleepAndForget(flange);
  }
  if (GetNumberMainDeckLoopTags() > 0) SetNumberMainDeckLoopTags(0);
  if (GetNumberDeckCutoutLoopTags() > 0) SetNumberDeckCutoutLoopTags(0);
  DeleteSolvaneData();

  if (OM_tag_int_map* map = m_tagSolvaneMap; map != nullptr) {
    map->Visit([](tag_t tool, int body) { DieDesUtilsDeleteInTagIntMap(tool, body); });
    OM::SetReferencedObject(this, m_tagSolvaneMapAttId, static_cast<OM::Object*>(nullptr));
    UPDATE_log_object_to_delete(map);
  }

  // Sections and the offset, the builder's or its feature's, go with the
  // model's next update, which spares whatever the feature still holds.
  auto release = [this](const OM::AttributeId& attribute, OM::Object* held) {
    if (held == nullptr) return;
    OM::SetReferencedObject(this, attribute, static_cast<OM::Object*>(nullptr));
    UPDATE_log_object_to_delete(held);
  };
  release(m_baseFlangeSectionAttId, m_baseFlangeSection);
  release(m_mainDeckSectionAttId, m_mainDeckSection);
  release(m_deckCutoutsSectionAttId, m_deckCutoutsSection);
  if (EXP_expression* offset = m_mainDeckOffset; offset != nullptr) {
    // An offset some other object owns stays with it.
    const OM::Object* owner = OM::OM_ask_owner(offset);
    if (owner == nullptr || owner == this) release(m_mainDeckOffsetAttId, offset);
  }
  // The sub-builders are logged for deletion too; being the builder's own,
  // the cascade that follows takes them at once.
  for (OM::Object* sub : {static_cast<OM::Object*>(m_baseOrientation), static_cast<OM::Object*>(m_mainDeckPlane),
                          static_cast<OM::Object*>(m_centerlineSlotDirection),
                          static_cast<OM::Object*>(m_centerlineSlotAttributes),
                          static_cast<OM::Object*>(m_mainDeckAttributes), static_cast<OM::Object*>(m_baseAttributes)})
    if (sub != nullptr) UPDATE_log_object_to_delete(sub);

  if (UICOMPJA_list* list = m_dieBooleansList; list != nullptr) {
    // The list owns its items: each emptied entry takes its item along.
    for (int i = list->size() - 1; i >= 0; --i) list->set_item(i, nullptr);
    OM::SetReferencedObject(this, m_dieBooleansListAttId, static_cast<OM::Object*>(nullptr));
    OM_delete_object(list);
  }
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

// ---- the shoe's solid ----------------------------------------------------------------------

namespace {

constexpr int kAborted = 66;
constexpr int kNoBaseBody = 671385;
constexpr int kVanished = 670443;
constexpr int kCutoutSweepFailed = 1070013;
constexpr int kStageHostError = 3030173;
constexpr int kEntityCurve = 45;

double KernelLength() { return Kernel::ScaleFactors().factors[0]; }

void Cross(const double a[3], const double b[3], double out[3]) {
  out[0] = a[1] * b[2] - a[2] * b[1];
  out[1] = a[2] * b[0] - a[0] * b[2];
  out[2] = a[0] * b[1] - a[1] * b[0];
}

// Handed to the host's debug output and, when kept, to its body trace.
void Trace(int body, const char* name, int index, bool kept = true) {
  DIEDES_UTILS_output_solvane_body(body, name, index);
  if (kept) DieDesUtilsSolvaneTrace(body, name, index);
}

// A kernel call's failure is met as a raised host error would be.
void Check(int rc, int line, const char* what) {
  if (rc != 0) ERROR_raise(kSource, line, rc, "%s failed", what);
}

// Deletes a body the kernel still has (one it took away is left alone).
void DeleteLive(int body) {
  if (body != 0 && ZV_ENTITY_is(body)) DieDesUtilsDeleteBody(body);
}

int CopyOf(int body) {
  int copy = 0;
  if (DieDesUtilsSolvaneCopy(false, body, &copy) != 0) return 0;
  return copy;
}

// Appends to a host-allocated array of bodies; a body of the caller's own
// (`owned`, a copy) that finds no room is deleted.
void Append(int* count, int** bodies, int body, bool owned = true) {
  int* grown = nullptr;
  try {
    grown = static_cast<int*>(SM_crealloc(*bodies, static_cast<std::size_t>(*count + 1) * sizeof(int)));
  } catch (...) {
    if (owned) DeleteLive(body);
    throw;
  }
  if (grown == nullptr) {
    if (owned) DeleteLive(body);
    ERROR_raise(kSource, __LINE__, Error::kNoMemory, "no memory for %d bodies", *count + 1);
  }
  grown[(*count)++] = body;
  *bodies = grown;
}

// The count of a cache, and the cached bodies themselves in a new array
// (SM_alloc; null when empty) when asked for.
template <class At>
int HandOut(int count, At at, int** bodies) {
  if (bodies != nullptr) {
    *bodies = nullptr;
    // The cache keeps its bodies: an array that cannot be made is let go alone.
    try {
      for (int i = 0, n = 0; i < count; ++i) Append(&n, bodies, at(i), false);
    } catch (...) {
      SM_free(*bodies);
      *bodies = nullptr;
      throw;
    }
  }
  return count;
}

// A new array (SM_alloc; null when empty) of the loops of a section.
int LoopsOf(const SC_section* section, tag_t** loops) {
  int first = 0, second = 0, third = 0;
  *loops = nullptr;
  if (section == nullptr) return 0;
  section->ask_loop_summary(&first, nullptr, &second, nullptr, &third, loops);
  return third;
}

}  // namespace

bool DieShoeBuilder::GetOrientationForMainDeck(double point[3], double normal[3]) const {
  double basePoint[3], baseMatrix[9], deckMatrix[9];
  if (!GetFrames(basePoint, baseMatrix, point, deckMatrix)) return false;
  for (int i = 0; i < 3; ++i) normal[i] = deckMatrix[6 + i];
  return true;
}

bool DieShoeBuilder::GetFrames(double basePoint[3], double baseMatrix[9], double deckPoint[3],
                               double deckMatrix[9]) const {
  tag_t tag = 0;
  if (!GetBaseOrientation(&tag, basePoint, baseMatrix) || !GetMainDeckOrientation(&tag, deckPoint, deckMatrix))
    return false;
  // The deck's normal never points along the die's up direction; its Y row
  // turns with it so that the frame stays right-handed.
  if (Dot(deckMatrix + 6, baseMatrix + 6) > kMargin)
    for (int i = 3; i < 9; ++i) deckMatrix[i] = -deckMatrix[i];
  return true;
}

// ---- loop curves ----

tag_t DieShoeBuilder::CreateTagFromLoop(tag_t loop) const {
  const auto* section = dynamic_cast<const SC_loop*>(OM::OM_object_of_tag(loop));
  if (section == nullptr) return 0;
  EVC_curve* geometry = section->ask_curve_geometry(true, m_distanceTolerance);
  if (geometry == nullptr) return 0;
  tag_t curve = 0;
  try {
    curve = DIE_ADD_ask_tag_from_curve_geom(geometry, m_distanceTolerance);
  } catch (...) {
    EVC_free(geometry);
    throw;
  }
  EVC_free(geometry);
  return curve;
}

tag_t DieShoeBuilder::GetBaseFlangeTag(bool force) {
  tag_t* loops = nullptr;
  const int count = LoopsOf(m_baseFlangeSection, &loops);
  try {
    const bool stored = m_baseFlangeTag != 0;
    if (stored && (force || count != 1)) {
      const tag_t old = m_baseFlangeTag;
      SetBaseFlangeTagPrivate(0);
      SleepAndForget(old);
    }
    if (m_baseFlangeTag == 0 && count == 1) SetBaseFlangeTagPrivate(CreateTagFromLoop(loops[0]));
  } catch (...) {
    SM_free(loops);
    throw;
  }
  SM_free(loops);
  return m_baseFlangeTag;
}

int DieShoeBuilder::GetMainDeckLoopTags(bool force, tag_t** tags) {
  return RefreshLoopTags(m_mainDeckSection, false, force, tags);
}
int DieShoeBuilder::GetDeckCutoutLoopTags(bool force, tag_t** tags) {
  return RefreshLoopTags(m_deckCutoutsSection, true, force, tags);
}

int DieShoeBuilder::RefreshLoopTags(SC_section* section, bool cutouts, bool force, tag_t** tags) {
  auto held = [&] { return cutouts ? GetNumberDeckCutoutLoopTags() : GetNumberMainDeckLoopTags(); };
  auto at = [&](int i) { return cutouts ? GetDeckCutoutLoopTag(i) : GetMainDeckLoopTag(i); };
  tag_t* loops = nullptr;
  const int count = LoopsOf(section, &loops);
  try {
    if (force || count != held()) {
      for (int i = 0, n = held(); i < n; ++i) SleepAndForget(at(i));
      cutouts ? SetNumberDeckCutoutLoopTags(0) : SetNumberMainDeckLoopTags(0);
      for (int i = 0; i < count; ++i) {
        const tag_t curve = CreateTagFromLoop(loops[i]);
        cutouts ? SetDeckCutoutLoopTag(i, curve) : SetMainDeckLoopTag(i, curve);
      }
    }
  } catch (...) {
    SM_free(loops);
    throw;
  }
  SM_free(loops);
  if (tags != nullptr) {
    *tags = count > 0 ? static_cast<tag_t*>(SM_alloc(static_cast<std::size_t>(count) * sizeof(tag_t))) : nullptr;
    if (count > 0 && *tags == nullptr) ERROR_raise(kSource, __LINE__, Error::kNoMemory, "no memory for %d curves", count);
    for (int i = 0; i < count; ++i) (*tags)[i] = at(i);
  }
  return count;
}

// ---- building blocks ----

int DieShoeBuilder::CreateSweptBody(int count, const tag_t* curves, const double point[3], const double direction[3],
                                    double distance, int* body) const {
  *body = 0;
  int sheet = 0;
  try {
    DIEDES_UTILS__bplane_from_curves(count, curves, point, direction, m_distanceTolerance, &sheet, nullptr, nullptr);
    if (sheet == 0) return 0;
    const double length = distance * KernelLength();
    const double path[3] = {direction[0] * length, direction[1] * length, direction[2] * length};
    ZV_TOPOL_track_r_t tracking;
    const int rc = ZV_BODY_sweep(sheet, path, &tracking);
    ZV_TOPOL_track_r_f(&tracking);
    Check(rc, __LINE__, "the sweep");
    *body = sheet;
    return 0;
  } catch (const std::exception& e) {
    DeleteLive(sheet);
    return Error::HandleAsBuilder(e, kSource, __LINE__);
  }
}

int DieShoeBuilder::CreateOffsetBody(double offset, int body) const {
  if (body == 0) return 0;
  const bool plain = std::fabs(offset) <= m_distanceTolerance;
  const int copy = CopyOf(body);
  if (copy == 0) return 0;
  // The copy is the caller's only once handed out: a host error before goes with it.
  Stamvik::OnEveryExit deleteCopy("DeleteLive", [copy] { DeleteLive(copy); });
  Trace(copy, plain ? "ZeroOffsetBefore" : "OffsetBefore", -1, false);
  if (plain) {
    Trace(copy, "ZeroOffsetAfter", -1, false);
    deleteCopy.Dismiss();
    return copy;
  }
  try {
    ZV_BODY_offset_o_t options;
    options.update = GetLocalOpsUpdateOptionFromAlgorithmVersion(get_frec());
    ZV_TOPOL_track_r_t tracking;
    ZV_TOPOL_local_r_t results;
    const double factor = KernelLength();
    const int rc = ZV_BODY_offset_2(copy, offset * factor, m_distanceTolerance * factor, &options, &tracking, &results);
    ZV_TOPOL_track_r_f(&tracking);
    ZV_TOPOL_local_r_f(&results);
    Check(rc, __LINE__, "the offset");
  } catch (const std::exception& e) {
    Error::HandleAsBuilder(e, kSource, __LINE__);
    return 0;
  }
  Trace(copy, "OffsetAfter", -1, false);
  deleteCopy.Dismiss();
  return copy;
}

int DieShoeBuilder::GetBoundingBox(const double origin[3], const double matrix[9], tag_t object, double minCorner[3],
                                   double extents[3]) const {
  for (int i = 0; i < 3; ++i) {
    minCorner[i] = origin[i];
    extents[i] = 0.0;
  }
  if (object == 0) return 0;
  const tag_t csys = ES_create_csys(origin, matrix);
  int rc = 0;
  try {
    rc = DIEDES_UTILS_ask_bounding_box_aligned(1, &object, csys, minCorner, extents);
  } catch (const std::exception& e) {
    Error::HandleAsBuilder(e, kSource, __LINE__);
    rc = kStageHostError;
  }
  UPDATE_log_entity_to_delete(csys);
  return rc;
}

void DieShoeBuilder::GetMinMaxDistance(const double point[3], const double matrix[9], const double deckPoint[3],
                                       const double deckMatrix[9], int count, const tag_t* objects, double* min,
                                       double* max) const {
  if (min != nullptr) *min = 0.0;
  if (max != nullptr) *max = 0.0;
  const double* x = matrix;
  const double* y = matrix + 3;
  const double* z = matrix + 6;
  const double* deckNormal = deckMatrix + 6;
  const double along = Dot(z, deckNormal);
  bool first = true;
  for (int i = 0; i < count; ++i) {
    double corner[3], extents[3];
    if (GetBoundingBox(point, matrix, objects[i], corner, extents) != 0) continue;
    const double drop = DIEDES_UTILS__dist_to_plane(corner, point, z);
    for (int k = 0; k < 3; ++k) corner[k] -= drop * z[k];
    for (int c = 0; c < 4; ++c) {
      const double ex = (c & 1) != 0 ? extents[0] : 0.0;
      const double ey = (c & 2) != 0 ? extents[1] : 0.0;
      double foot[3];
      for (int k = 0; k < 3; ++k) foot[k] = corner[k] + ex * x[k] + ey * y[k];
      // How far the deck plane lies from the footprint's corner along the
      // base's normal; a deck standing along that normal is never reached.
      if (std::fabs(along) <= kMargin) continue;
      double toDeck[3];
      for (int k = 0; k < 3; ++k) toDeck[k] = deckPoint[k] - foot[k];
      const double distance = Dot(toDeck, deckNormal) / along;
      if (first) {
        if (min != nullptr) *min = distance;
        if (max != nullptr) *max = distance;
        first = false;
      } else {
        if (min != nullptr && distance < *min) *min = distance;
        if (max != nullptr && distance > *max) *max = distance;
      }
    }
  }
}

int DieShoeBuilder::SweepToDeck(int count, const tag_t* curves, const double basePoint[3], const double baseMatrix[9],
                                const double deckPoint[3], const double deckMatrix[9], int index, int* body) const {
  const double lead = GetDeckThicknessValue() + 2.0 * GetWallThicknessValue() + 10.0 * m_distanceTolerance;
  const double* up = baseMatrix + 6;
  const double start[3] = {basePoint[0] - lead * up[0], basePoint[1] - lead * up[1], basePoint[2] - lead * up[2]};
  double highest = 0.0;
  GetMinMaxDistance(start, baseMatrix, deckPoint, deckMatrix, 1, curves + index, nullptr, &highest);
  (void)count;
  return CreateSweptBody(1, curves + index, start, up, highest + lead, body);
}

// ---- stages ----

void DieShoeBuilder::SetSolvaneBaseFlange(int body) {
  OM::LogForWrite(this);
  m_solvaneBaseFlange = body;
}
void DieShoeBuilder::SetSolvaneSlot(int body) {
  OM::LogForWrite(this);
  m_solvaneSlot = body;
}

int DieShoeBuilder::GetSolvaneBaseFlange() {
  const double thickness = GetFlangeThicknessValue();
  if (thickness < m_distanceTolerance - kMargin) return 0;
  if (m_solvaneBaseFlange != 0) return m_solvaneBaseFlange;
  const tag_t curve = GetBaseFlangeTag(false);
  tag_t tag = 0;
  double origin[3], matrix[9];
  if (curve == 0 || !GetBaseOrientation(&tag, origin, matrix)) return 0;
  int body = 0;
  if (CreateSweptBody(1, &curve, origin, matrix + 6, thickness, &body) != 0 || body == 0) {
    ERROR_note("Error building base flange.");
    return 0;
  }
  SetSolvaneBaseFlange(body);
  Trace(body, "BaseBody", -1);
  return body;
}

int DieShoeBuilder::GetSolvaneMainDeckBodies(int** bodies) {
  if (GetNumberSolvaneMainDecks() == 0) {
    tag_t* curves = nullptr;
    const int count = GetMainDeckLoopTags(false, &curves);
    double basePoint[3], baseMatrix[9], deckPoint[3], deckMatrix[9];
    try {
      if (count > 0 && GetFrames(basePoint, baseMatrix, deckPoint, deckMatrix)) {
        for (int i = 0; i < count; ++i) {
          int block = 0;
          // A failed sweep has deleted its body already.
          if (SweepToDeck(count, curves, basePoint, baseMatrix, deckPoint, deckMatrix, i, &block) != 0 || block == 0) {
            ERROR_note("Error building main deck.");
            continue;
          }
          SetSolvaneMainDeck(GetNumberSolvaneMainDecks(), block);
          Trace(block, "MainDeckBody", i);
        }
      }
    } catch (...) {
      SM_free(curves);
      throw;
    }
    SM_free(curves);
    if (GetNumberSolvaneMainDecks() > 0) {
      GetSolvaneMainDeckIntersectionBodies(nullptr);
      GetSolvaneMainDeckSubtractionBodies(nullptr);
    }
  }
  return HandOut(GetNumberSolvaneMainDecks(), [this](int i) { return GetSolvaneMainDeck(i); }, bodies);
}

int DieShoeBuilder::GetSolvaneMainDeckIntersectionBodies(int** bodies) {
  if (GetNumberSolvaneMainDeckIntersections() == 0) {
    const double wall = GetWallThicknessValue();
    for (int i = 0, n = GetNumberSolvaneMainDecks(); i < n; ++i) {
      const int inner = CreateOffsetBody(-wall, GetSolvaneMainDeck(i));
      if (inner == 0 || !ZV_ENTITY_is(inner)) continue;
      SetSolvaneMainDeckIntersection(GetNumberSolvaneMainDeckIntersections(), inner);
      Trace(inner, "MainDeckIntrBody", i);
    }
  }
  return HandOut(
      GetNumberSolvaneMainDeckIntersections(), [this](int i) { return GetSolvaneMainDeckIntersection(i); }, bodies);
}

int DieShoeBuilder::GetSolvaneMainDeckSubtractionBodies(int** bodies) {
  double point[3], normal[3];
  if (GetNumberSolvaneMainDeckSubtractions() == 0 && GetNumberSolvaneMainDeckIntersections() > 0 &&
      GetOrientationForMainDeck(point, normal)) {
    const double deck = GetDeckThicknessValue();
    const double plane[3] = {point[0] + deck * normal[0], point[1] + deck * normal[1], point[2] + deck * normal[2]};
    for (int i = 0, n = GetNumberSolvaneMainDeckIntersections(); i < n; ++i) {
      int cavity = 0;
      try {
        cavity = CreateOffsetBody(0.0, GetSolvaneMainDeckIntersection(i));
        if (cavity == 0) continue;
        Trace(cavity, "SubBodyBefore", i, false);
        Check(DIEDES_UTILS__trim_body_to_plane(cavity, plane, normal), __LINE__, "the trim");
        if (!ZV_ENTITY_is(cavity)) {
          SetWarningNumber(kVanished);
          continue;
        }
        SetSolvaneMainDeckSubtraction(GetNumberSolvaneMainDeckSubtractions(), cavity);
        Trace(cavity, "SubBody", i);
      } catch (const std::exception& e) {
        Error::HandleAsBuilder(e, kSource, __LINE__);
        DeleteLive(cavity);
        SetWarningNumber(kStageHostError);
      }
    }
  }
  return HandOut(
      GetNumberSolvaneMainDeckSubtractions(), [this](int i) { return GetSolvaneMainDeckSubtraction(i); }, bodies);
}

int DieShoeBuilder::GetSolvaneMainDeckUniteBodies(int** bodies) {
  const int blocks = GetSolvaneMainDeckBodies(nullptr);
  if (bodies == nullptr) return blocks;
  *bodies = nullptr;
  double basePoint[3], baseMatrix[9], deckPoint[3], deckMatrix[9];
  if (!GetFrames(basePoint, baseMatrix, deckPoint, deckMatrix)) return 0;
  int count = 0;
  // The copies handed out so far go with a host error on the way.
  Stamvik::OnEveryExit deleteCopies("DieDesUtilsDeleteBodies", [&] { DieDesUtilsDeleteBodies(&count, bodies); });
  for (int i = 0; i < blocks; ++i) {
    const int block = GetSolvaneMainDeck(i);
    if (!ZV_ENTITY_is(block)) continue;
    const int copy = CopyOf(block);
    if (copy == 0) continue;
    // Between the base plane and the deck plane.
    if (DIEDES_UTILS__trim_body_to_plane(copy, basePoint, baseMatrix + 6) != 0 ||
        DIEDES_UTILS__trim_body_to_plane(copy, deckPoint, deckMatrix + 6) != 0) {
      DeleteLive(copy);
      continue;
    }
    if (ZV_ENTITY_is(copy)) Append(&count, bodies, copy);
  }
  deleteCopies.Dismiss();
  return count;
}

namespace {
// Copies of the cached bodies that the kernel still has, in a new array.
template <class At>
int CopiesOf(int cached, At at, int** bodies) {
  int count = 0;
  if (bodies != nullptr) *bodies = nullptr;
  // The copies handed out so far go with a host error on the way.
  Stamvik::OnEveryExit deleteCopies("DieDesUtilsDeleteBodies", [&] {
    if (bodies != nullptr) DieDesUtilsDeleteBodies(&count, bodies);
  });
  for (int i = 0; i < cached; ++i) {
    const int body = at(i);
    if (!ZV_ENTITY_is(body)) continue;
    if (bodies == nullptr) {
      ++count;
      continue;
    }
    if (const int copy = CopyOf(body); copy != 0) Append(&count, bodies, copy);
  }
  deleteCopies.Dismiss();
  return count;
}
}  // namespace

int DieShoeBuilder::GetSolvaneMainDeckSubtractBodies(int** bodies) {
  return CopiesOf(GetNumberSolvaneMainDeckSubtractions(), [this](int i) { return GetSolvaneMainDeckSubtraction(i); },
                  bodies);
}

int DieShoeBuilder::GetSolvaneDeckCutoutBodies(int** bodies) {
  if (bodies != nullptr) *bodies = nullptr;
  const double deck = GetDeckThicknessValue();
  if (deck < m_distanceTolerance - kMargin || GetWallThicknessValue() < m_distanceTolerance - kMargin) return 0;
  if (GetNumberSolvaneDeckCutouts() == 0) {
    tag_t* curves = nullptr;
    const int count = GetDeckCutoutLoopTags(false, &curves);
    double basePoint[3], baseMatrix[9], deckPoint[3], deckMatrix[9];
    try {
      if (count > 0 && GetFrames(basePoint, baseMatrix, deckPoint, deckMatrix)) {
        const double* normal = deckMatrix + 6;
        const double rise = m_distanceTolerance + deck;
        const double plane[3] = {deckPoint[0] + rise * normal[0], deckPoint[1] + rise * normal[1],
                                 deckPoint[2] + rise * normal[2]};
        const double up[3] = {-normal[0], -normal[1], -normal[2]};
        for (int i = 0; i < count; ++i) {
          int block = 0;
          if (SweepToDeck(count, curves, basePoint, baseMatrix, deckPoint, deckMatrix, i, &block) != 0 || block == 0) {
            SetWarningNumber(kCutoutSweepFailed);
            continue;
          }
          try {
            Trace(block, "DeckCutBodyBefore", i, false);
            Check(DIEDES_UTILS__trim_body_to_plane(block, plane, up), __LINE__, "the trim");
            if (!ZV_ENTITY_is(block)) {
              SetWarningNumber(kVanished);
              continue;
            }
            SetSolvaneDeckCutout(GetNumberSolvaneDeckCutouts(), block);
            Trace(block, "DeckCutBody", i);
          } catch (const std::exception& e) {
            DeleteLive(block);
            Error::HandleAsBuilder(e, kSource, __LINE__);
            SetWarningNumber(kStageHostError);
          }
        }
      }
    } catch (...) {
      SM_free(curves);
      throw;
    }
    SM_free(curves);
  }
  return HandOut(GetNumberSolvaneDeckCutouts(), [this](int i) { return GetSolvaneDeckCutout(i); }, bodies);
}

int DieShoeBuilder::GetSolvaneDeckCutoutSubtractBodies(int** bodies) {
  if (GetNumberSolvaneDeckCutoutIntersections() == 0 && GetSolvaneDeckCutoutBodies(nullptr) > 0 &&
      GetSolvaneMainDeckBodies(nullptr) > 0 && GetNumberSolvaneMainDeckIntersections() > 0) {
    ZV_BODY_boolean_o_t options;
    options.function = ZV_boolean_intersect_c;
    options.option_32 = 1;
    options.tolerance = m_distanceTolerance * KernelLength();
    std::vector<int> tools(static_cast<std::size_t>(GetNumberSolvaneMainDeckIntersections()), 0);
    try {
      for (int i = 0, n = GetNumberSolvaneDeckCutouts(); i < n; ++i) {
        const int cutout = GetSolvaneDeckCutout(i);
        if (!ZV_ENTITY_is(cutout)) continue;
        const int target = CopyOf(cutout);
        if (target == 0) continue;
        // The kernel takes the tools it combines: each is copied afresh.
        for (std::size_t j = 0; j < tools.size(); ++j)
          if (tools[j] == 0 || !ZV_ENTITY_is(tools[j])) tools[j] = CopyOf(GetSolvaneMainDeckIntersection(static_cast<int>(j)));
        try {
          ZV_TOPOL_track_r_t tracking;
          ZV_boolean_r_t results;
          const int rc = ZV_BODY_boolean_2(target, static_cast<int>(tools.size()), tools.data(), &options, &tracking,
                                           &results);
          const int status = results.status;
          ZV_TOPOL_track_r_f(&tracking);
          ZV_boolean_r_f(&results);
          Check(rc, __LINE__, "the intersection");
          if (status == ZV_boolean_result_success_c && ZV_ENTITY_is(target)) {
            SetSolvaneDeckCutoutIntersection(GetNumberSolvaneDeckCutoutIntersections(), target);
            Trace(target, "DeckCutBody", i);
          } else {
            // An empty intersection has taken the target away already.
            DeleteLive(target);
            ERROR_note("Error building deck cutout intersection.");
          }
        } catch (const std::exception& e) {
          Error::HandleAsBuilder(e, kSource, __LINE__);
          DeleteLive(target);
          ERROR_note("Error building deck cutout intersection.");
        }
      }
    } catch (...) {
      for (int tool : tools) DeleteLive(tool);
      throw;
    }
    for (int tool : tools) DeleteLive(tool);
  }
  const int cached = GetNumberSolvaneDeckCutoutIntersections();
  if (bodies == nullptr) return cached;
  return CopiesOf(cached, [this](int i) { return GetSolvaneDeckCutoutIntersection(i); }, bodies);
}

bool DieShoeBuilder::GetSlotOrientation(tag_t* tag, double point[3], double matrix[9]) const {
  *tag = 0;
  for (int i = 0; i < 3; ++i) point[i] = 0.0;
  for (int i = 0; i < 9; ++i) matrix[i] = i % 4 == 0 ? 1.0 : 0.0;

  tag_t given = 0;
  double slotPoint[3] = {0, 0, 0}, direction[3] = {1, 0, 0};
  const bool defined =
      m_centerlineSlotDirection != nullptr && m_centerlineSlotDirection->GetDirectionVector(&given, slotPoint, direction);
  if (!defined) {
    given = 0;
    direction[0] = 1.0;
    direction[1] = direction[2] = 0.0;
  }
  tag_t baseTag = 0;
  double basePoint[3], baseMatrix[9];
  if (!GetBaseOrientation(&baseTag, basePoint, baseMatrix)) return false;
  int type = 0;
  const bool onLine = defined && given != 0 && RM_ask_entity_type(given, &type) == 0 && type == kEntityCurve;
  const bool centred = !onLine;
  const double* up = baseMatrix + 6;

  double frame[9];
  if (std::fabs(Dot(direction, up)) >= std::cos(0.5 * 3.14159265358979323846 / 180.0)) {
    for (int i = 0; i < 9; ++i) frame[i] = baseMatrix[i];
  } else {
    double across[3];
    Cross(up, direction, across);
    MTX3_init_y_z(across, up, frame);
  }
  double origin[3] = {basePoint[0], basePoint[1], basePoint[2]};
  if (defined) {
    const double drop = DIEDES_UTILS__dist_to_plane(slotPoint, basePoint, up);
    for (int k = 0; k < 3; ++k) origin[k] = slotPoint[k] - drop * up[k];
  }

  const tag_t flange = m_baseFlangeTag;
  if (flange != 0) {
    double corner[3], extents[3];
    if (GetBoundingBox(origin, frame, flange, corner, extents) != 0) return false;
    const double drop = DIEDES_UTILS__dist_to_plane(corner, basePoint, up);
    for (int k = 0; k < 3; ++k) corner[k] -= drop * up[k];
    double* x = frame;
    double* y = frame + 3;
    if (centred)
      for (int k = 0; k < 3; ++k) origin[k] = corner[k] + 0.5 * extents[0] * x[k] + 0.5 * extents[1] * y[k];
    double offset[3];
    for (int k = 0; k < 3; ++k) offset[k] = corner[k] - origin[k];
    const double t = Dot(offset, x);
    const double width = GetWidthValue();
    for (int k = 0; k < 3; ++k) origin[k] += (t - 10.0 * m_distanceTolerance) * x[k] - 0.5 * width * y[k];
    const double length = extents[0] + 20.0 * m_distanceTolerance;
    for (int k = 0; k < 3; ++k) {
      x[k] *= length;
      y[k] *= width;
    }
  }
  *tag = given;
  for (int k = 0; k < 3; ++k) point[k] = origin[k];
  for (int i = 0; i < 9; ++i) matrix[i] = frame[i];
  return true;
}

int DieShoeBuilder::GetSolvaneSlot() {
  if (!m_centerlineSlotCreate) return 0;
  const double depth = GetDepthValue();
  if (depth < m_distanceTolerance - kMargin || GetWidthValue() < m_distanceTolerance - kMargin) return 0;
  if (m_solvaneSlot != 0) return m_solvaneSlot;
  tag_t tag = 0;
  double origin[3], frame[9];
  if (GetBaseFlangeTag(false) == 0 || !GetSlotOrientation(&tag, origin, frame)) return 0;
  const double* x = frame;
  const double* y = frame + 3;
  const double corners[4][3] = {
      {origin[0], origin[1], origin[2]},
      {origin[0] + x[0], origin[1] + x[1], origin[2] + x[2]},
      {origin[0] + x[0] + y[0], origin[1] + x[1] + y[1], origin[2] + x[2] + y[2]},
      {origin[0] + y[0], origin[1] + y[1], origin[2] + y[2]},
  };
  int slot = 0;
  try {
    DIEDES_UTILS__create_planar_sheet(4, corners, m_distanceTolerance, &slot);
    if (slot == 0) {
      ERROR_note("Error building centerline slot.");
      return 0;
    }
    const double length = depth * KernelLength();
    const double path[3] = {frame[6] * length, frame[7] * length, frame[8] * length};
    ZV_TOPOL_track_r_t tracking;
    const int rc = ZV_BODY_sweep(slot, path, &tracking);
    ZV_TOPOL_track_r_f(&tracking);
    Check(rc, __LINE__, "the sweep");
  } catch (const std::exception& e) {
    Error::HandleAsBuilder(e, kSource, __LINE__);
    DeleteLive(slot);
    ERROR_note("Error building centerline slot.");
    return 0;
  }
  SetSolvaneSlot(slot);
  Trace(slot, "Slot", -1);
  return slot;
}

int DieShoeBuilder::GetSolvaneDieDesignSubtractBodies(int** bodies) {
  if (bodies != nullptr) *bodies = nullptr;
  if (m_tagSolvaneMap == nullptr || m_dieBooleansList == nullptr) return 0;
  int count = 0;
  // The copies handed out so far go with a host error on the way.
  Stamvik::OnEveryExit deleteCopies("DieDesUtilsDeleteBodies", [&] {
    if (bodies != nullptr) DieDesUtilsDeleteBodies(&count, bodies);
  });
  for (int i = 0, n = m_dieBooleansList->size(); i < n; ++i) {
    const DieBooleanBuilder* item = ItemAt(m_dieBooleansList, i);
    if (item == nullptr || item->GetBooleanOptions() != JA_DIE_BOOLEAN_BUILDER_boolean_type_Unite) continue;
    const SELECT_OBJECT_list* tools = item->GetSelectBodies();
    for (int j = 0, m = tools != nullptr ? tools->ask_count() : 0; j < m; ++j) {
      int body = 0;
      if (!m_tagSolvaneMap->Find(tools->ask_nth(j), &body) || body == 0) continue;
      if (bodies == nullptr) {
        ++count;
      } else if (const int copy = CopyOf(body); copy != 0) {
        Append(&count, bodies, copy);
      }
    }
  }
  deleteCopies.Dismiss();
  return count;
}

// ---- the body ----

bool DieShoeBuilder::ApplyTools(int body, int* count, int** tools, bool unite) const {
  // The tools are deleted on every way out, a host error's included.
  const Stamvik::OnEveryExit deleteTools("DieDesUtilsDeleteBodies", [count, tools] { DieDesUtilsDeleteBodies(count, tools); });
  bool stopped = false;
  for (int i = 0; i < *count && !stopped; ++i) {
    if (unite)
      DIEDES_UTILS__unite_tool_to_target(body, (*tools)[i], m_distanceTolerance);
    else
      DIEDES_UTILS__subtract_tool_from_target(body, (*tools)[i], m_distanceTolerance);
    stopped = ABORT_ask_flag_status();
  }
  return stopped;
}

int DieShoeBuilder::CreateBody(int* body) {
  *body = 0;
  if (ABORT_ask_flag_status()) return kAborted;
  GetBaseFlangeTag(false);
  if (ABORT_ask_flag_status()) return kAborted;
  GetMainDeckLoopTags(false, nullptr);
  if (ABORT_ask_flag_status()) return kAborted;
  GetDeckCutoutLoopTags(false, nullptr);
  if (ABORT_ask_flag_status()) return kAborted;

  const int flange = GetSolvaneBaseFlange();
  if (flange == 0) return kNoBaseBody;
  *body = CopyOf(flange);
  if (*body == 0) return kNoBaseBody;
  if (ABORT_ask_flag_status()) return kAborted;

  int unites = 0, subtracts = 0;
  int *uniteBodies = nullptr, *subtractBodies = nullptr;
  unites = GetSolvaneMainDeckUniteBodies(&uniteBodies);
  // Both are fetched before either is applied: a host error in between takes them too.
  const Stamvik::OnEveryExit deleteFetched("DieDesUtilsDeleteBodies", [&] {
    if (uniteBodies != nullptr) DieDesUtilsDeleteBodies(&unites, &uniteBodies);
    if (subtractBodies != nullptr) DieDesUtilsDeleteBodies(&subtracts, &subtractBodies);
  });
  subtracts = GetSolvaneMainDeckSubtractBodies(&subtractBodies);
  // Every tool fetched is deleted, also once the user has stopped.
  bool stopped = ApplyTools(*body, &unites, &uniteBodies, true);
  if (stopped) {
    DieDesUtilsDeleteBodies(&subtracts, &subtractBodies);
    return kAborted;
  }
  if (ApplyTools(*body, &subtracts, &subtractBodies, false)) return kAborted;

  int cutouts = 0;
  int* cutoutBodies = nullptr;
  cutouts = GetSolvaneDeckCutoutSubtractBodies(&cutoutBodies);
  if (ApplyTools(*body, &cutouts, &cutoutBodies, false)) return kAborted;

  if (const int slot = GetSolvaneSlot(); slot != 0) {
    int one = CopyOf(slot);
    if (one != 0) {
      DIEDES_UTILS__subtract_tool_from_target(*body, one, m_distanceTolerance);
      DieDesUtilsDeleteBody(one);
    }
  }

  int designs = 0;
  int* designBodies = nullptr;
  designs = GetSolvaneDieDesignSubtractBodies(&designBodies);
  if (ApplyTools(*body, &designs, &designBodies, false)) return kAborted;

  if (*body == 0 || !ZV_ENTITY_is(*body)) {
    *body = 0;
    return kNoBaseBody;
  }
  DIEDES_UTILS_output_solvane_body(*body, "DieShoe", -1);
  return 0;
}

// ---- discarding the caches ----

void DieShoeBuilder::DeleteSolvaneData() {
  DeleteSolvaneBaseFlange();
  DeleteSolvaneMainDecks();
  DeleteSolvaneDeckCutouts();
  DeleteSolvaneSlot();
}

void DieShoeBuilder::DeleteSolvaneBaseFlange() {
  if (m_solvaneBaseFlange == 0) return;
  DeleteLive(m_solvaneBaseFlange);
  SetSolvaneBaseFlange(0);
}

void DieShoeBuilder::DeleteSolvaneSlot() {
  if (m_solvaneSlot == 0) return;
  DeleteLive(m_solvaneSlot);
  SetSolvaneSlot(0);
}

void DieShoeBuilder::DeleteSolvaneMainDecks() {
  for (int i = 0, n = GetNumberSolvaneMainDecks(); i < n; ++i) DeleteLive(GetSolvaneMainDeck(i));
  for (int i = 0, n = GetNumberSolvaneMainDeckIntersections(); i < n; ++i) DeleteLive(GetSolvaneMainDeckIntersection(i));
  for (int i = 0, n = GetNumberSolvaneMainDeckSubtractions(); i < n; ++i) DeleteLive(GetSolvaneMainDeckSubtraction(i));
  for (int i = 0, n = GetNumberSolvaneDeckCutoutIntersections(); i < n; ++i)
    DeleteLive(GetSolvaneDeckCutoutIntersection(i));
  if (GetNumberSolvaneMainDecks() > 0) SetNumberSolvaneMainDecks(0);
  if (GetNumberSolvaneMainDeckIntersections() > 0) SetNumberSolvaneMainDeckIntersections(0);
  if (GetNumberSolvaneMainDeckSubtractions() > 0) SetNumberSolvaneMainDeckSubtractions(0);
  if (GetNumberSolvaneDeckCutoutIntersections() > 0) SetNumberSolvaneDeckCutoutIntersections(0);
}

void DieShoeBuilder::DeleteSolvaneDeckCutouts() {
  for (int i = 0, n = GetNumberSolvaneDeckCutouts(); i < n; ++i) DeleteLive(GetSolvaneDeckCutout(i));
  for (int i = 0, n = GetNumberSolvaneDeckCutoutIntersections(); i < n; ++i)
    DeleteLive(GetSolvaneDeckCutoutIntersection(i));
  if (GetNumberSolvaneDeckCutouts() > 0) SetNumberSolvaneDeckCutouts(0);
  if (GetNumberSolvaneDeckCutoutIntersections() > 0) SetNumberSolvaneDeckCutoutIntersections(0);
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
