#include "DieDesJA_CastReliefBuilder.hpp"

#include <cmath>
#include <exception>
#include <utility>

#include "DieDesJA_TemporaryFeaturePreview.hpp"
#include "HeldBeside.hpp"
#include "HeldSelections.hpp"
#include "InputChecks.hpp"
#include "LoopAreas.hpp"
#include "Messages.hpp"
#include "Support.hpp"
#include "afl/BodyUtils.hpp"
#include "afl/Parms.hpp"
#include "exp/Expression.hpp"
#include "kernel/Kernel.hpp"
#include "math/Vector.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "sys/Settings.hpp"
#include "upd/Update.hpp"

namespace KTX::DieDesJA {

namespace {
// The temporary sheets each builder holds: out of undo (stripped), while the
// builder's fields are restored with the rest of it, so they are held beside
// the builder.
struct SheetTemps {
  int relief = 0;
  int support = 0;
};
void DeleteSheets(const SheetTemps& temps) noexcept {
  Stamvik::RunNoted("DieDesUtilsDeleteBody", [&] {
    DieDesUtilsDeleteBody(temps.support);
    DieDesUtilsDeleteBody(temps.relief);
  });
}
using HeldTemps = Stamvik::HeldBeside<CastReliefBuilder, SheetTemps, &DeleteSheets>;
}  // namespace

void OnHostRelease(CastReliefBuilder* builder) { HeldTemps::Drop(builder); }

STAMVIK_OM_INSTANCE_SIZE_DEF(CastReliefBuilder)
STAMVIK_OM_DEFINE_CLASS(CastReliefBuilder, "KTX::DieDesJA::GenericBodyBuilder", 0x1000,
                        &GetCastReliefBuilderInstanceSize, STAMVIK_CAST_RELIEF_BUILDER_ATTRIBUTES)

namespace {

constexpr const char* kSource = "DieDesJA_CastReliefBuilder";
constexpr const char* kMarkName = "Cast Relief create bodies";
constexpr const char* kBooleanText = "CastRelief: Performing boolean operation";

constexpr double kMargin = 1e-10;

using Messages::kBadBaseOrientation;
using Messages::kGeneralAngleToleranceTooSmall;
using Messages::kGeneralDistanceToleranceTooSmall;
using Messages::kNoBaseOrientation;
using Messages::kNoDatabaseParms;
using Messages::kNoReliefLoop;
using Messages::kNoSheetMetal;
using Messages::kNoTargetCopy;
using Messages::kOpenReliefLoops;
using Messages::kReliefDepthTooSmall;
using Messages::kWrongParms;

tag_t selectedTag(const SELECT_OBJECT* selection) {
  return selection != nullptr ? selection->ask_selected_tag() : 0;
}

using Stamvik::ExpressionValue;

// Grows the caller's array by one tag (SM_calloc for the first entry).
void appendTag(int* count, tag_t** tags, tag_t tag) {
  if (tag == 0) return;
  const auto n = static_cast<std::size_t>(*count);
  auto* grown = static_cast<tag_t*>(*tags == nullptr ? SM_calloc(1, sizeof(tag_t))
                                                     : SM_crealloc(*tags, (n + 1) * sizeof(tag_t)));
  if (grown == nullptr) ERROR_raise(kSource, 58, Error::kNoMemory, "no memory for %d tags", *count + 1);
  grown[n] = tag;
  *tags = grown;
  ++*count;
}

// The record's parameters as a cast relief; raises when there are none or
// they belong to another feature.
DieDes::CastRelief* castReliefParms(FEATURE_RECORD* frec) {
  FEATURE_PARMS* parms = frec != nullptr ? FREC_ask_parms_of_frec(frec) : nullptr;
  if (parms == nullptr) ERROR_raise(kSource, 68, kNoDatabaseParms, "Feature has no database parameters.");
  if (!OM::OM_is_subclass(parms->OmClassId(), DieDes::CastRelief::ThisClassId))
    ERROR_raise(kSource, 70, kNoDatabaseParms, "Feature is not a Cast Relief.");
  return static_cast<DieDes::CastRelief*>(parms);
}

DIEDES_GENERIC_BODY_PARMS* castReliefParmsOfRecord(FEATURE_RECORD* frec) {
  return dynamic_cast<DIEDES_GENERIC_BODY_PARMS*>(FREC_ask_parms_of_frec(frec));
}

DIEDES_GENERIC_BODY_PARMS* newCastReliefParms() { return DieDes::CastReliefFactory::Create(); }

}  // namespace

CastReliefBuilder* CastReliefBuilderFactory::Create(CM_part* part, FEATURE_RECORD* frec) {
  return Frame::CreateAndInit<CastReliefBuilder>(CastReliefBuilderClassId, [&](CastReliefBuilder* made) {
    made->InitCreate(part, frec);
  });
}

void CastReliefBuilder::InitCreate(CM_part* part, FEATURE_RECORD* frec) {
  init_object(part, frec);
  SetAlgorithmVersion(0);

  PART_part* owningPart = ask_owning_part();
  OM::OM_set_pointer(this, m_targetDataAttId, DieDes::CastReliefTargetFactory::Create(owningPart));
  OM::OM_set_pointer(this, m_targetAttId, SELECT_OBJECTFactory::Create(owningPart));
  OM::OM_set_pointer(this, m_sheetMetalAttId, SELECT_OBJECTFactory::Create(owningPart));
  OM::OM_set_pointer(this, m_reliefSheetAttId, SELECT_OBJECTFactory::Create(owningPart));
  DieDes::DiePlaneBuilder* plane = DieDes::DiePlaneBuilderFactory::Create(owningPart, true, true, true, true, true);
  plane->SetApplScopePlane(3);
  OM::OM_set_pointer(this, m_baseOrientationAttId, plane);

  if (frec == nullptr) {
    const double angle = TOLER_ask_angular_tol();
    const double distance = TOLER_ask_distance_tol();
    // The builder owns what it makes; once committed, the feature's
    // parameters hold them and they outlive the builder.
    SC_section* profile =
        SC_sectionFactory::object(OM::OM_ask_object_tag(owningPart), 0.95 * distance, distance, angle);
    profile->OrderLoops();
    OM::OM_set_pointer(this, m_reliefProfileAttId, profile);
    EXP_expression* depth = nullptr;
    EXP_expression* thickness = nullptr;
    EXP_create_sys_exp_with_units_all_errors("0", UNIT_ask_default_unit_obj_for_measure(0), &depth);
    EXP_create_sys_exp_with_units_all_errors("0", UNIT_ask_default_unit_obj_for_measure(0), &thickness);
    OM::OM_set_pointer(this, m_reliefDepthAttId, depth);
    OM::OM_set_pointer(this, m_thicknessAttId, thickness);
    SetDistanceTolerance(TOLER_ask_distance_tol());
    SetAngleTolerance(TOLER_ask_angular_tol());
  } else {
    ConvertFrecToBuilderData(frec);
  }

  m_target->SetParentHasObservers(true);
}

char* CastReliefBuilder::ask_journal_class_name() const { return SM_string_copy("Die.CastReliefBuilder"); }

void CastReliefBuilder::destroy() { cascade_destroy(); }

void CastReliefBuilder::cascade_destroy() {
  implement_destroy();
  JAX_FEAT_BUILDER::cascade_destroy();
}

void CastReliefBuilder::implement_destroy() { DeleteSheetTemps(); }

// The temporary sheets are kernel bodies that no undo brings back: their
// fields are cleared without logging.
void CastReliefBuilder::DeleteSheetTemps() {
  HeldTemps::Drop(this);
  m_supportSheetTemp = 0;
  m_reliefSheetTemp = 0;
}

int CastReliefBuilder::GetReliefSheetTemp() const { return HeldTemps::Of(this).relief; }
int CastReliefBuilder::GetSupportSheetTemp() const { return HeldTemps::Of(this).support; }

void CastReliefBuilder::HoldSheetTemp(bool support, int sheet) {
  SheetTemps& temps = HeldTemps::Hold(this);
  int& held = support ? temps.support : temps.relief;
  if (held != sheet) DieDesUtilsDeleteBody(std::exchange(held, 0));
  held = sheet;
  (support ? m_supportSheetTemp : m_reliefSheetTemp) = sheet;
  if (temps.relief == 0 && temps.support == 0) HeldTemps::Forget(this);
}

// ---- validation ---------------------------------------------------------------

int CastReliefBuilder::validate_nothrow() {
  if (int rc = Stamvik::CheckInputs(this); rc != 0) return rc;
  int first = 0, second = 0, third = 0;
  Stamvik::HostBlock<tag_t> firstItems, secondItems, thirdItems;
  if (m_reliefProfile != nullptr)
    m_reliefProfile->ask_loop_summary(&first, firstItems.out(), &second, secondItems.out(), &third, thirdItems.out());
  if (first < 1) return kNoReliefLoop;
  if (second > 0) return kOpenReliefLoops;

  if (selectedTag(m_sheetMetal) == 0 && (m_targetData == nullptr || !m_targetData->GetSheetFlag()))
    return kNoSheetMetal;
  if (selectedTag(m_reliefSheet) == 0 && !(std::fabs(ExpressionValue(m_reliefDepth)) > m_distanceTolerance))
    return kReliefDepthTooSmall;
  if (m_baseOrientation != nullptr && m_baseOrientation->validate_nothrow() != 0) return kBadBaseOrientation;
  if (m_distanceTolerance < kMargin) return kGeneralDistanceToleranceTooSmall;
  if (m_angleTolerance < kMargin) return kGeneralAngleToleranceTooSmall;
  // A closed loop that encloses nothing gives the build no face to make.
  if (Stamvik::ClosedLoopWithoutArea(m_reliefProfile, m_distanceTolerance)) return Messages::kOutlineNoArea;
  return 0;
}

// ---- parameters -------------------------------------------------------------------

int CastReliefBuilder::ToParms(DIEDES_GENERIC_BODY_PARMS* parms) {
  if (parms == nullptr || !OM::OM_is_subclass(parms->OmClassId(), DieDes::CastRelief::ThisClassId))
    return kWrongParms;
  OM::Object* owner = OM_ask_subobject_owner(parms);
  const DIEDES_ENTITY_CONTEXT plain{0, owner, {}};
  const DIEDES_ENTITY_CONTEXT chosen{1, owner, {}};

  tag_t profile = 0;
  int profileCount = 0;
  if (m_reliefProfile != nullptr && !m_reliefProfile->is_empty()) {
    if (DIEDES_EXTRACTION_TABLE_MAP* map = DIEDES_UTILS__get_extraction_table_map(); map != nullptr)
      map->MapSection(m_reliefProfile);
    profile = OM::OM_ask_object_tag(m_reliefProfile);
    profileCount = 1;
  }
  if (int rc = parms->GetEntity(0)->SetTags(&plain, profileCount, profileCount > 0 ? &profile : nullptr); rc != 0)
    return rc;

  const tag_t sheetMetal = selectedTag(m_sheetMetal);
  if (int rc = parms->GetEntity(1)->SetTags(&chosen, sheetMetal != 0 ? 1 : 0, sheetMetal != 0 ? &sheetMetal : nullptr);
      rc != 0)
    return rc;
  const tag_t reliefSheet = selectedTag(m_reliefSheet);
  if (int rc =
          parms->GetEntity(2)->SetTags(&chosen, reliefSheet != 0 ? 1 : 0, reliefSheet != 0 ? &reliefSheet : nullptr);
      rc != 0)
    return rc;

  if (int rc = m_baseOrientation->ToParms(dynamic_cast<DieDes::DieDesGenericPlane*>(parms->GetEntity(3)),
                                          dynamic_cast<FEATURE_RECORD*>(owner));
      rc != 0)
    return rc;

  EXP_expression* const expressions[2] = {m_reliefDepth, m_thickness};
  if (int rc = parms->GetEntity(4)->SetExpressions(&chosen, 2, expressions); rc != 0) return rc;
  const int support = m_createSupportCasting ? 1 : 0;
  if (int rc = parms->GetEntity(5)->SetInts(&plain, 1, &support); rc != 0) return rc;

  parms->SetDistanceTolerance(m_distanceTolerance);
  parms->SetAngleTolerance(m_angleTolerance);
  return 0;
}

int CastReliefBuilder::ConvertBuilderDataToFrec(FEATURE_RECORD* frec) {
  DieDes::CastRelief* parms = castReliefParms(frec);
  parms->SetAlgorithmVersion(GetAlgorithmVersion());
  return ToParms(parms);
}

void CastReliefBuilder::ConvertFrecToBuilderData(FEATURE_RECORD* frec) {
  DieDes::CastRelief* parms = castReliefParms(frec);
  SetAlgorithmVersion(parms->GetAlgorithmVersion());

  const double distance = parms->GetDistanceTolerance();
  const double angle = parms->GetAngleTolerance();
  const int entities = parms->GetNumEntities();
  if (entities > 0) {
    SetDistanceTolerance(distance);
    SetAngleTolerance(angle);
  }

  // The profile: the feature's section, or a new one when it has none.
  if (SC_section* old = m_reliefProfile; old != nullptr) {
    SetReliefProfile(nullptr);
    UPDATE_log_object_to_delete(old);
  }
  int count = 0;
  Stamvik::HostBlock<tag_t> tags;
  if (entities > 0) parms->GetEntity(0)->AskTags(&count, tags.out());
  SC_section* profile = nullptr;
  if (count >= 1 && tags[0] != 0) {
    // The feature's section stays the feature's: the builder works on a copy
    // it owns, which the commit writes into it (HeldSelections.hpp).
    profile = Stamvik::CopyOfSection(OM::TagToObject<SC_section>(tags[0]), OM::OM_ask_object_tag(ask_owning_part()));
  } else {
    profile = SC_sectionFactory::object(OM::OM_ask_object_tag(ask_owning_part()), 0.95 * distance, distance, angle);
  }
  tags.reset();
  OM::OM_set_pointer(this, m_reliefProfileAttId, profile);

  // A sheet left out at commit (the target gave it) is no value to read.
  if (entities > 1 && parms->GetEntity(1)->AskCount() > 0) {
    if (tag_t sheetMetal = parms->AskEntityTag(1, 0); sheetMetal != 0) m_sheetMetal->set_selected_tag(sheetMetal);
  }
  if (entities > 2 && parms->GetEntity(2)->AskCount() > 0) {
    if (tag_t reliefSheet = parms->AskEntityTag(2, 0); reliefSheet != 0) m_reliefSheet->set_selected_tag(reliefSheet);
  }
  if (entities > 3) m_baseOrientation->FromParms(dynamic_cast<DieDes::DieDesGenericPlane*>(parms->GetEntity(3)));
  if (entities > 4) {
    ReadExpressionCopy(m_reliefDepthAttId, parms, 4, 0);
    ReadExpressionCopy(m_thicknessAttId, parms, 4, 1);
  }
  if (entities > 5) SetCreateSupportCasting(parms->AskEntityInt(5, 0) == 1);

  if (tag_t body = DieDes::CastRelief::GetTargetEID(parms); body != 0) {
    m_target->set_selected_tag(body);
    Notify(m_target);
  }
}

void CastReliefBuilder::GetSelectedObjects(int* count, tag_t** tags) const {
  *count = 0;
  *tags = nullptr;
  appendTag(count, tags, selectedTag(m_target));
  appendTag(count, tags, selectedTag(m_sheetMetal));
  appendTag(count, tags, selectedTag(m_reliefSheet));
  if (m_baseOrientation != nullptr) m_baseOrientation->GetSelectedObjects(count, tags);
  DIEDES_GENERIC_BODY_PARMS::DieDesBuilderGetSectionObjects(m_reliefProfile, count, tags);
}

// ---- reaction, commit -------------------------------------------------------------

void CastReliefBuilder::Notify(OM::Object* changed) {
  ReactToTargetChange(changed, m_target, m_targetData, m_baseOrientation, nullptr, kSource);
}

int CastReliefBuilder::commit_feature(FEATURE_RECORD** frec) {
  DeleteSheetTemps();
  return CommitWithProtocol(frec, &castReliefParmsOfRecord, &newCastReliefParms, m_target, true);
}

// ---- the preview ------------------------------------------------------------------

bool CastReliefBuilder::FindBaseOrientation(double origin[3], double normal[3]) const {
  tag_t plane = 0;
  double matrix[9] = {};
  if (m_baseOrientation != nullptr && m_baseOrientation->GetPlaneDefinition(&plane, origin, matrix)) {
    Math::NormalOfMatrix(matrix, normal);
    return true;
  }
  if (m_targetData != nullptr && m_targetData->GetBaseFlag()) {
    m_targetData->GetBaseNormal(normal);
    m_targetData->GetBaseOrigin(origin);
    return true;
  }
  return false;
}

tag_t CastReliefBuilder::SheetMetalTag() const {
  if (tag_t sheet = selectedTag(m_sheetMetal); sheet != 0) return sheet;
  if (m_targetData != nullptr && m_targetData->GetSheetFlag()) return m_targetData->GetSheetTag();
  return 0;
}

namespace {
// A new temporary sheet is not yet the builder's: when its preparation
// raises, nobody else would delete it.
void stripOrDelete(int sheet) {
  try {
    strip_qd_body(sheet);
  } catch (...) {
    DieDesUtilsDeleteBody(sheet);
    throw;
  }
}
}  // namespace

void CastReliefBuilder::SetReliefSheetTemp() {
  HoldSheetTemp(false, 0);

  double origin[3], normal[3];
  if (!FindBaseOrientation(origin, normal)) return;
  const double tolerances[2] = {m_distanceTolerance, m_angleTolerance};
  const double depth = ExpressionValue(m_reliefDepth);
  const bool deep = std::fabs(depth) > m_distanceTolerance;

  int rc = 0;
  int sheet = 0;
  if (tag_t reliefSheet = selectedTag(m_reliefSheet); reliefSheet != 0) {
    if (deep)
      rc = DIEDES_GENERIC_BODY_PARMS::DieCreateRoughOffsetSheet(0, 5, reliefSheet, depth, normal, tolerances, &sheet);
    else
      rc = ZV_ENTITY_copy(ES_solid_ask_solvane_tag(reliefSheet), &sheet);
  } else {
    if (!deep) return;
    const tag_t base = SheetMetalTag();
    if (base == 0) return;
    rc = DIEDES_GENERIC_BODY_PARMS::DieCreateRoughOffsetSheet(0, 5, base, depth, normal, tolerances, &sheet);
  }
  if (rc == 0 && sheet != 0) {
    stripOrDelete(sheet);
    HoldSheetTemp(false, sheet);
  } else {
    DieDesUtilsDeleteBody(sheet);
  }
}

void CastReliefBuilder::SetSupportSheetTemp() {
  HoldSheetTemp(true, 0);
  if (!m_createSupportCasting) return;

  double origin[3], normal[3];
  if (!FindBaseOrientation(origin, normal)) return;
  const double depth = ExpressionValue(m_reliefDepth);
  const double thickness = ExpressionValue(m_thickness);
  tag_t base = selectedTag(m_reliefSheet);
  if (base == 0) base = SheetMetalTag();
  if (base == 0) return;
  if (!(std::fabs(thickness) > m_distanceTolerance)) return;

  double sheetNormal[3] = {};
  DIEDES_GENERIC_BODY_PARMS::GetSheetNormal(ES_solid_ask_solvane_tag(base), normal, 75.0, nullptr, sheetNormal);
  const double dot = Math::Dot(sheetNormal, normal);
  const double offset = dot >= 0.0 ? depth - thickness : depth + thickness;

  const double tolerances[2] = {m_distanceTolerance, m_angleTolerance};
  int sheet = 0;
  const int rc = DIEDES_GENERIC_BODY_PARMS::DieCreateRoughOffsetSheet(0, 5, base, offset, normal, tolerances, &sheet);
  if (rc == 0 && sheet != 0) {
    stripOrDelete(sheet);
    HoldSheetTemp(true, sheet);
  } else {
    DieDesUtilsDeleteBody(sheet);
  }
}

int CastReliefBuilder::CreateBodies(int* count, int** bodies) const {
  if (m_reliefProfile == nullptr || m_reliefProfile->is_empty()) return 0;
  const tag_t sheet = SheetMetalTag();
  if (sheet == 0) return 0;

  Stamvik::UndoMarkScope mark = PreviewUndoMarkScope(kMarkName);
  int rc = kNoBaseOrientation;
  bool targetSelected = false;
  int targetBody = 0;
  int copy = 0;
  Stamvik::BodyArray tools;
  Stamvik::HostBlock<int> operations;
  Stamvik::BodyArray out;
  bool finished = false;
  auto finish = [&finished] {
    if (finished) return;
    finished = true;
    DIEDES_UTILS_boolean_tolerance_derive(0);
    DIEDES_UTILS_progress_bar_destroy();
    DIEDES_UTILS_clear_build_state();
  };

  try {
    double origin[3], normal[3];
    if (FindBaseOrientation(origin, normal)) {
      rc = 0;
      int bodyType = ZV_BODY_type_solid_c;
      if (tag_t target = selectedTag(m_target); target != 0) {
        targetSelected = true;
        targetBody = ES_solid_ask_solvane_tag(target);
        if (targetBody != 0) {
          DieDesUtilsSolvaneCopy(false, targetBody, &copy);
          if (copy == 0) {
            rc = kNoTargetCopy;
          } else {
            strip_qd_body(copy);
            ZV_BODY_ask_type(copy, &bodyType);
          }
        }
      }
      if (rc == 0) {
        // The temporary sheets are the builder's cache for its previews, not
        // part of the model: building them changes nothing the host sees.
        auto* self = const_cast<CastReliefBuilder*>(this);
        if (GetReliefSheetTemp() == 0) self->SetReliefSheetTemp();
        if (GetSupportSheetTemp() == 0) self->SetSupportSheetTemp();

        int faceLabel = 500000;
        int edgeLabel = 1000000;
        DieDes::CastRelief::CreateToolBody(GetAlgorithmVersion(), m_reliefProfile, sheet, selectedTag(m_reliefSheet),
                                           GetReliefSheetTemp(), GetSupportSheetTemp(), origin, normal,
                                           ExpressionValue(m_reliefDepth), m_createSupportCasting,
                                           ExpressionValue(m_thickness), m_distanceTolerance, m_angleTolerance, nullptr,
                                           &faceLabel, &edgeLabel, tools.count(), tools.bodies(), operations.out());
        if (copy != 0 && bodyType == ZV_BODY_type_solid_c) {
          int result = 0;
          DIEDES_UTILS_boolean_bodies(copy, tools.size(), tools.data(), operations.get(), ZV_boolean_unite_c, nullptr,
                                      m_distanceTolerance, kBooleanText, &result);
          DIEDES_UTILS_boolean_bodies2(54, &copy, tools.size(), tools.data(), operations.get(), ZV_boolean_subtract_c,
                                       nullptr, m_distanceTolerance, kBooleanText, &result);
          if (copy != 0) {
            *out.bodies() = static_cast<int*>(SM_calloc(1, sizeof(int)));
            if (out.data() == nullptr) ERROR_raise(kSource, 450, Error::kNoMemory, "no memory for a body");
            out.data()[0] = copy;
            *out.count() = 1;
            copy = 0;  // held by the result now: never both handed over and deleted
          }
        } else {
          // A copy that is not a solid takes no part, and nobody else would release it.
          DieDesUtilsDeleteBody(copy);
          copy = 0;
          if (tools.size() > 0) tools.HandOver(out);
        }
        finish();
      }
    }
  } catch (const std::exception& e) {
    finish();
    rc = Error::HandleAsBuilder(e, kSource, 472);
  }

  tools.Delete();
  operations.reset();
  if (rc != 0) {
    if (targetSelected && copy != targetBody) DieDesUtilsDeleteBody(copy);
    out.Delete();  // and the model goes back to the mark
  } else {
    if (out.data() != nullptr) out.HandOver(count, bodies);
    mark.Commit();
  }
  return rc;
}

// ---- fields -----------------------------------------------------------------------

void CastReliefBuilder::SetCreateSupportCasting(bool create) {
  OM::LogForWrite(this);
  m_createSupportCasting = create;
}
void CastReliefBuilder::SetDistanceTolerance(double tolerance) {
  OM::LogForWrite(this);
  m_distanceTolerance = tolerance;
}
void CastReliefBuilder::SetAngleTolerance(double tolerance) {
  OM::LogForWrite(this);
  m_angleTolerance = tolerance;
}
void CastReliefBuilder::SetReliefProfile(SC_section* profile) {
  OM::SetReferencedObject(this, m_reliefProfileAttId, profile);
}
void CastReliefBuilder::SetReliefDepth(EXP_expression* depth) {
  OM::SetReferencedObject(this, m_reliefDepthAttId, depth);
}
void CastReliefBuilder::SetThickness(EXP_expression* thickness) {
  OM::SetReferencedObject(this, m_thicknessAttId, thickness);
}

}  // namespace KTX::DieDesJA
