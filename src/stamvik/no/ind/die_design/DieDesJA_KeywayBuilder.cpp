#include "DieDesJA_KeywayBuilder.hpp"

#include <cstdint>
#include <cstring>
#include <exception>
#include <vector>

#include "DieDesJA_ParameterEntities.hpp"
#include "DieDesJA_SelectedTags.hpp"
#include "DieDesJA_TemporaryFeaturePreview.hpp"
#include "InputChecks.hpp"
#include "LoopAreas.hpp"
#include "Messages.hpp"
#include "OnEveryExit.hpp"
#include "Support.hpp"
#include "afl/BodyUtils.hpp"
#include "afl/DieAttributes.hpp"
#include "afl/Parms.hpp"
#include "exp/Expression.hpp"
#include "geom/Geometry.hpp"
#include "kernel/Kernel.hpp"
#include "math/Vector.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "sys/Settings.hpp"
#include "upd/Update.hpp"

namespace KTX::DieDesJA {

STAMVIK_OM_INSTANCE_SIZE_DEF(KeywayBuilder)
STAMVIK_OM_DEFINE_CLASS(KeywayBuilder, "KTX::DieDesJA::GenericBodyBuilder", 0x1000, &GetKeywayBuilderInstanceSize,
                        STAMVIK_KEYWAY_BUILDER_ATTRIBUTES)

KeywayBuilder* KeywayBuilderFactory::Create(CM_part* part, FEATURE_RECORD* frec) {
  return Frame::CreateAndInit<KeywayBuilder>(KeywayBuilderClassId, [&](KeywayBuilder* made) {
    made->InitCreate(part, frec);
  });
}

namespace {

constexpr const char* kSource = "DieDesJA_KeywayBuilder";
constexpr double kMargin = 1e-10;
constexpr int kNotifyLine = 923;

using Messages::kAngleToleranceTooSmall;
using Messages::kBadBaseOrientation;
using Messages::kDistanceToleranceTooSmall;
using Messages::kKeywayDeckThicknessNegative;
using Messages::kKeywayMinimumRibHeightNegative;
using Messages::kKeywayPadHeightNegative;
using Messages::kKeywayPadWidthNegative;
using Messages::kKeywayRunoffDepthNegative;
using Messages::kKeywayRunoffLengthNegative;
using Messages::kKeywayRunoffRadiusNegative;
using Messages::kKeywayRunoffWidthNegative;
using Messages::kKeywaySlotDepthNotPositive;
using Messages::kKeywaySlotLengthNotPositive;
using Messages::kKeywaySlotWidthNotPositive;
using Messages::kNoBaseFlange;
using Messages::kNotOneBaseFlangeLoop;
using Messages::kNotOneInteriorLoop;
using Messages::kOpenBaseFlange;
using Messages::kOpenInteriorProfile;
using Messages::kWrongParms;

// The items the keyway's parameters hold at most.
constexpr int kItems = 7;
// How the items are applied: in place, or (more items than the layout) not.
constexpr int kApplyInPlace = 2;

// The host's codes in the keyway record.
constexpr int kKeywayCode = 510000;
// Curves joined into one closed curve.
constexpr int kJoinClosed = 11;
// Where an error of the preview is reported.
constexpr int kPreviewLine = 1196;

using Stamvik::ExpressionValue;

struct LoopCounts {
  int first = 0, second = 0, third = 0;
};

LoopCounts countsOf(const SC_section* section) {
  LoopCounts c;
  if (section != nullptr) section->ask_loop_summary(&c.first, nullptr, &c.second, nullptr, &c.third, nullptr);
  return c;
}

template <class T>
void put(unsigned char* record, int at, T value) {
  std::memcpy(record + at, &value, sizeof value);
}

}  // namespace

void KeywayBuilder::InitCreate(CM_part* part, FEATURE_RECORD* frec) {
  init_object(part, frec);
  SetAlgorithmVersion(0);

  PART_part* owningPart = ask_owning_part();
  OM::OM_set_pointer(this, m_targetDataAttId, DieDes::KeywayTargetFactory::Create(owningPart));
  OM::OM_set_pointer(this, m_targetAttId, SELECT_OBJECTFactory::Create(owningPart));
  DieDes::DiePlaneBuilder* base = DieDes::DiePlaneBuilderFactory::Create(owningPart, true, true, true, true, true);
  base->SetApplScopePlane(3);
  OM::OM_set_pointer(this, m_baseOrientationAttId, base);
  OM::OM_set_pointer(this, m_dieCenterlineCoordinateSystemAttId, SELECT_OBJECTFactory::Create(owningPart));
  OM::OM_set_pointer(this, m_sheetMetalAttId, SELECT_OBJECTFactory::Create(owningPart));
  OM::OM_set_pointer(this, m_slotAttributesAttId,
                     DieDes::DieAttributesBuilderFactory::Create(owningPart, true, true, false));
  OM::OM_set_pointer(this, m_padAttributesAttId,
                     DieDes::DieAttributesBuilderFactory::Create(owningPart, true, true, false));

  if (frec != nullptr) {
    ConvertFrecToBuilderData(frec);
  } else {
    OM::OM_set_pointer(this, m_baseFlangeAttId, NewSection());
    OM::OM_set_pointer(this, m_interiorProfileAttId, NewSection());
    for (const OM::AttributeId* attribute :
         {&m_offsetAttId, &m_placementOffsetAttId, &m_deckThicknessAttId, &m_slotLengthAttId, &m_slotWidthAttId,
          &m_slotDepthAttId, &m_padWidthAttId, &m_padHeightAttId, &m_minimumRibHeightAttId, &m_runoffLengthAttId,
          &m_runoffWidthAttId, &m_runoffDepthAttId, &m_runoffRadiusAttId})
      OM::OM_set_pointer(this, *attribute, NewZeroLength());
    SetDistanceTolerance(TOLER_ask_distance_tol());
    SetAngleTolerance(TOLER_ask_angular_tol());
  }

  m_target->SetParentHasObservers(true);
}

int KeywayBuilder::validate_nothrow() {
  if (int rc = Stamvik::CheckInputs(this); rc != 0) return rc;
  if (m_baseOrientation == nullptr || m_baseOrientation->validate_nothrow() != 0) return kBadBaseOrientation;

  const LoopCounts flange = countsOf(m_baseFlange);
  const bool targetFlange = m_targetData != nullptr && m_targetData->GetBaseFlangeFlag();
  if (flange.first < 1) {
    if (!targetFlange) return kNoBaseFlange;
  } else if (flange.second > 0) {
    return kOpenBaseFlange;
  } else if (flange.third != 1) {
    return kNotOneBaseFlangeLoop;
  }
  const LoopCounts interior = countsOf(m_interiorProfile);
  if (interior.second > 0) return kOpenInteriorProfile;
  if (interior.third != 1 && interior.first != 0) return kNotOneInteriorLoop;

  // Each value with its message, in the order they are checked.
  struct Check {
    const EXP_expression* value;
    bool positive;  // else non-negative
    int message;
  };
  const Check checks[] = {
      {m_deckThickness, false, kKeywayDeckThicknessNegative},
      {m_slotLength, true, kKeywaySlotLengthNotPositive},
      {m_slotWidth, true, kKeywaySlotWidthNotPositive},
      {m_slotDepth, true, kKeywaySlotDepthNotPositive},
      {m_padWidth, false, kKeywayPadWidthNegative},
      {m_padHeight, false, kKeywayPadHeightNegative},
      {m_minimumRibHeight, false, kKeywayMinimumRibHeightNegative},
      {m_runoffLength, false, kKeywayRunoffLengthNegative},
      {m_runoffWidth, false, kKeywayRunoffWidthNegative},
      {m_runoffDepth, false, kKeywayRunoffDepthNegative},
      {m_runoffRadius, false, kKeywayRunoffRadiusNegative},
  };
  for (const Check& check : checks) {
    const double v = ExpressionValue(check.value);
    if (check.positive ? !(v > kMargin) : !(v > -kMargin)) return check.message;
  }
  if (m_distanceTolerance < kMargin) return kDistanceToleranceTooSmall;
  if (m_angleTolerance < kMargin) return kAngleToleranceTooSmall;
  // A closed loop that encloses nothing gives the build no face to make.
  if (Stamvik::ClosedLoopWithoutArea(m_baseFlange, m_distanceTolerance) ||
      Stamvik::ClosedLoopWithoutArea(m_interiorProfile, m_distanceTolerance))
    return Messages::kOutlineNoArea;
  return 0;
}

void KeywayBuilder::Notify(OM::Object* changed) {
  ReactToTargetChange(changed, m_target, m_targetData, m_baseOrientation, m_deckThickness, kSource, kNotifyLine);
}

bool KeywayBuilder::GetIntersectionOnFlange(double point[3], double direction[3], double side[3],
                                            double onFlange[3]) const {
  GetIntersectionDirection(point, direction, side);
  Math::Copy(point, onFlange);
  double precision = 0;
  ZV_SESSION_ask_precision(&precision);
  const double tolerance = precision * Kernel::ScaleFactors().factors[1];
  double baseOrigin[3], baseNormal[3];
  GetBaseInformation(baseOrigin, baseNormal);

  int count = 0;
  Stamvik::HostBlock<tag_t> curves;
  if (m_baseFlange != nullptr) m_baseFlange->ask_tags(&count, curves.out());
  std::vector<tag_t> flange(curves.get(), curves.get() + count);
  curves.reset();
  if (flange.empty() && m_targetData != nullptr && m_targetData->GetBaseFlangeFlag())
    flange.push_back(m_targetData->GetBaseFlangeCurve());

  bool found = false;
  for (tag_t curve : flange) {
    int n = 0;
    INT_info* infos = nullptr;
    INT_plane_object(point, direction, curve, tolerance, &n, &infos);
    for (int i = 0; i < n && !found; ++i) {
      const double* p = infos[i].point;
      double fromPoint[3];
      Math::Subtract(p, point, fromPoint);
      const double across = Math::Dot(fromPoint, side);
      if (infos[i].kind != 0 || !(across < 0)) continue;
      const double height = DIEDES_UTILS__dist_to_plane(p, baseOrigin, baseNormal);
      Math::AddScaled(p, -height, baseNormal, onFlange);
      found = true;
    }
    INT_free_info(n, infos);
    if (found) break;
  }
  return found;
}

// ---- parameters ---------------------------------------------------------------------

// The thirteen dimensions in the order the parameters hold them.
#define STAMVIK_KEYWAY_DIMENSIONS(X)                                                                   \
  X(SlotLength) X(SlotWidth) X(SlotDepth) X(PadWidth) X(PadHeight) X(MinimumRibHeight) X(RunoffLength) \
      X(RunoffWidth) X(RunoffDepth) X(RunoffRadius) X(PlacementOffset) X(Offset) X(DeckThickness)

int KeywayBuilder::ToParms(DIEDES_GENERIC_BODY_PARMS* parms) {
  auto* keyway = dynamic_cast<DieDes::Keyway*>(parms);
  if (keyway == nullptr) return kWrongParms;
  // More items than the layout: nothing is written through items that are
  // not the ones meant.
  if (parms->GetNumEntities() > kItems) return kWrongParms;

  if (int rc = WritePlaneEntity(parms, 0, m_baseOrientation); rc != 0) return rc;
  const auto writeTag = [&](int item, int leading, tag_t tag) {
    return WriteTagsEntity(parms, item, leading, tag != 0 ? 1 : 0, tag != 0 ? &tag : nullptr);
  };
  const auto sectionTag = [](SC_section* section) -> tag_t {
    if (section == nullptr || section->is_empty()) return 0;
    if (DIEDES_EXTRACTION_TABLE_MAP* map = DIEDES_UTILS__get_extraction_table_map(); map != nullptr)
      map->MapSection(section);
    return section->ask_tag();
  };
  if (int rc = writeTag(1, 0, m_dieCenterlineCoordinateSystem->ask_selected_tag()); rc != 0) return rc;
  if (int rc = writeTag(2, 1, m_sheetMetal->ask_selected_tag()); rc != 0) return rc;
  if (int rc = writeTag(3, 0, sectionTag(m_baseFlange)); rc != 0) return rc;
  if (int rc = writeTag(4, 0, sectionTag(m_interiorProfile)); rc != 0) return rc;
#define STAMVIK_KEYWAY_FIELD(Name) Get##Name(),
  EXP_expression* const dimensions[13] = {STAMVIK_KEYWAY_DIMENSIONS(STAMVIK_KEYWAY_FIELD)};
#undef STAMVIK_KEYWAY_FIELD
  if (int rc = WriteExpressionsEntity(parms, 5, 1, 13, dimensions); rc != 0) return rc;
  const int ints[3] = {GetType(), m_location, m_createWithPad ? 1 : 0};
  if (int rc = WriteIntsEntity(parms, 6, 0, 3, ints); rc != 0) return rc;

  OM::LogForWrite(parms);
  parms->SetDistanceTolerance(m_distanceTolerance);
  parms->SetAngleTolerance(m_angleTolerance);

  // The slot's and the pad's face attributes, each keeping the title it had.
  DieAttributesRecord records[2];
  DieDes::DIEDES_ATTRIBUTE_TABLE table{{}, {0, 1, 2, 3}, 2, records};
  if (int rc = keyway->ReadAttributeRecords(&table); rc != 0) return rc;
  const DieDes::DieAttributesBuilder* builders[2] = {m_slotAttributes, m_padAttributes};
  FillDieAttributesRecords(records, builders);
  return keyway->ApplyAttributeRecords(OM_ask_subobject_owner(parms), &table, kApplyInPlace);
}

int KeywayBuilder::ConvertBuilderDataToFrec(FEATURE_RECORD* frec) {
  auto* parms = FeatureParmsOfClassOrRaise<DieDes::Keyway>(frec, kSource, 256, "Feature is not a Keyway.");
  OM::LogForWrite(parms);
  parms->SetAlgorithmVersion(GetAlgorithmVersion());
  return ToParms(parms);
}

void KeywayBuilder::ConvertFrecToBuilderData(FEATURE_RECORD* frec) {
  auto* parms = FeatureParmsOfClassOrRaise<DieDes::Keyway>(frec, kSource, 263, "Feature is not a Keyway.");
  SetAlgorithmVersion(parms->GetAlgorithmVersion());
  const int items = EntitiesToUse(parms, kItems);
  if (items > 0) {
    SetDistanceTolerance(parms->GetDistanceTolerance());
    SetAngleTolerance(parms->GetAngleTolerance());
  }
  if (items > 0) ReadPlaneEntity(parms, 0, m_baseOrientation);
  const auto firstTag = [&](int item) {
    int count = 0;
    tag_t* tags = nullptr;
    parms->GetEntity(item)->AskTags(&count, &tags);
    const tag_t tag = count >= 1 && tags != nullptr ? tags[0] : 0;
    SM_free(tags);
    return tag;
  };
  if (items > 1) m_dieCenterlineCoordinateSystem->set_selected_tag(firstTag(1));
  if (items > 2) m_sheetMetal->set_selected_tag(firstTag(2));
  if (items > 3) ReadSectionEntity(this, m_baseFlangeAttId, m_baseFlange, parms, 3, 0, ask_owning_part());
  if (items > 4) ReadSectionEntity(this, m_interiorProfileAttId, m_interiorProfile, parms, 4, 0, ask_owning_part());
  if (items > 5) {
    // In the order of STAMVIK_KEYWAY_DIMENSIONS.
    const OM::AttributeId* const fields[] = {
        &m_slotLengthAttId,  &m_slotWidthAttId,   &m_slotDepthAttId,    &m_padWidthAttId,   &m_padHeightAttId,
        &m_minimumRibHeightAttId, &m_runoffLengthAttId, &m_runoffWidthAttId, &m_runoffDepthAttId,
        &m_runoffRadiusAttId, &m_placementOffsetAttId, &m_offsetAttId, &m_deckThicknessAttId};
    int position = 0;
    for (const OM::AttributeId* field : fields) ReadExpressionCopy(*field, parms, 5, position++);
  }
  if (items > 6) {
    SetType(static_cast<JA_KEYWAY_BUILDER_types>(parms->AskEntityInt(6, 0)));
    SetLocation(static_cast<JA_KEYWAY_BUILDER_location_type>(parms->AskEntityInt(6, 1)));
    SetCreateWithPad(parms->AskEntityInt(6, 2) == 1);
  }
  ReadFaceAttributes(parms, {m_slotAttributes, m_padAttributes});
  ReadTargetBody(parms, m_target);
}

void KeywayBuilder::GetSelectedObjects(int* count, tag_t** tags) const {
  *count = 0;
  *tags = nullptr;
  AppendSelectedTag(count, tags, m_target->ask_selected_tag());
  if (m_baseOrientation != nullptr) m_baseOrientation->GetSelectedObjects(count, tags);
  AppendSelectedTag(count, tags, m_dieCenterlineCoordinateSystem->ask_selected_tag());
  AppendSelectedTag(count, tags, m_sheetMetal->ask_selected_tag());
  DIEDES_GENERIC_BODY_PARMS::DieDesBuilderGetSectionObjects(m_baseFlange, count, tags);
  DIEDES_GENERIC_BODY_PARMS::DieDesBuilderGetSectionObjects(m_interiorProfile, count, tags);
}

int KeywayBuilder::commit_feature(FEATURE_RECORD** frec) {
  return CommitUpdatingTarget(frec, m_targetData, m_target,
                              []() -> DIEDES_GENERIC_BODY_PARMS* { return DieDes::KeywayFactory::Create(); });
}

// ---- geometric queries ------------------------------------------------------------

bool KeywayBuilder::GetBaseInformation(double origin[3], double normal[3]) const {
  for (int i = 0; i < 3; ++i) origin[i] = normal[i] = 0.0;
  normal[2] = 1.0;
  bool found = false;
  tag_t plane = 0;
  double planeOrigin[3];
  double matrix[9];
  if (m_baseOrientation != nullptr && m_baseOrientation->GetPlaneDefinition(&plane, planeOrigin, matrix)) {
    for (int i = 0; i < 3; ++i) {
      origin[i] = planeOrigin[i];
      normal[i] = matrix[6 + i];
    }
    found = true;
  } else if (m_targetData != nullptr && m_targetData->GetOrientationFlag()) {
    m_targetData->GetBaseOrigin(origin);
    m_targetData->GetBaseNormal(normal);
    found = true;
  }
  const double offset = ExpressionValue(m_placementOffset);
  Math::AddScaled(origin, offset, normal, origin);
  return found;
}

bool KeywayBuilder::GetCSYSInformation(double origin[3], double matrix[9]) const {
  for (int i = 0; i < 3; ++i) origin[i] = 0.0;
  for (int i = 0; i < 9; ++i) matrix[i] = i % 4 == 0 ? 1.0 : 0.0;
  const tag_t csys = m_dieCenterlineCoordinateSystem != nullptr ? m_dieCenterlineCoordinateSystem->ask_selected_tag() : 0;
  if (csys != 0) {
    tag_t matrixTag = 0;
    ES_ask_csys_origin(csys, origin);
    if (ES_ask_matrix_tag_of_entity(csys, &matrixTag) == 0) ES_ask_elements_of_matrix(matrixTag, matrix);
    return true;
  }
  if (m_targetData != nullptr && m_targetData->GetDieCoordinateSystemFlag()) {
    m_targetData->GetDieCoordinateSystemOrigin(origin);
    m_targetData->GetDieCoordinateSystemMatrix(matrix);
    return true;
  }
  return false;
}

void KeywayBuilder::GetIntersectionDirection(double point[3], double direction[3], double side[3]) const {
  for (int i = 0; i < 3; ++i) point[i] = side[i] = direction[i] = 0.0;
  side[0] = 1.0;
  double baseOrigin[3], baseNormal[3], origin[3], matrix[9];
  GetBaseInformation(baseOrigin, baseNormal);
  GetCSYSInformation(origin, matrix);
  double frame[9];
  double length = 0;
  VEC3_unitize(matrix, kMargin, &length, frame);
  VEC3_unitize(matrix + 3, kMargin, &length, frame + 3);
  Math::Cross(frame, frame + 3, frame + 6);
  DIEDES_KEY_derive_dirs(m_location, baseNormal, frame, direction, side);
  const double offset = ExpressionValue(m_offset);
  Math::AddScaled(origin, offset, direction, point);
}

// ---- preview ------------------------------------------------------------------------

int KeywayBuilder::PreviewCurve(const SC_section* section, bool targetGives, tag_t targetCurve, tag_t* curve) const {
  *curve = 0;
  int count = 0;
  Stamvik::HostBlock<tag_t> curves;
  if (section != nullptr) section->ask_tags(&count, curves.out());
  int rc = 0;
  if (count == 1)
    rc = DIEDES_UTILS_copy_curve(curves[0], curve);
  else if (count > 1)
    rc = DIEDES_UTILS_join_curves(count, curves.get(), kJoinClosed, m_distanceTolerance, curve);
  else if (targetGives && targetCurve != 0)
    rc = DIEDES_UTILS_copy_curve(targetCurve, curve);
  return rc;
}

int KeywayBuilder::CreateBodies(int* count, int** bodies) const {
  Stamvik::UndoMarkScope mark = PreviewUndoMarkScope("Keyway create bodies");
  int status = 0;
  int copy = 0;
  int bodyType = ZV_BODY_type_solid_c;
  Stamvik::BodyArray tools;
  Stamvik::HostBlock<int> second;
  Stamvik::BodyArray out;
  tag_t flangeCurve = 0, interiorCurve = 0, createdCsys = 0;
  DIEDES_NODE_s* node = nullptr;
  DIEDES_KEY_tool_data_s toolData{};

  try {
    if (tag_t target = m_target->ask_selected_tag(); target != 0) {
      if (int kernel = ES_solid_ask_solvane_tag(target); kernel != 0) {
        DieDesUtilsSolvaneCopy(false, kernel, &copy);
        if (copy != 0) ZV_BODY_ask_type(copy, &bodyType);
      }
    }
    const bool targetFlange = m_targetData != nullptr && m_targetData->GetBaseFlangeFlag();
    status = PreviewCurve(m_baseFlange, targetFlange, targetFlange ? m_targetData->GetBaseFlangeCurve() : 0,
                          &flangeCurve);
    if (status == 0 && flangeCurve == 0) status = kNoBaseFlange;

    tag_t csys = 0;
    double origin[3] = {0, 0, 0}, normal[3] = {0, 0, 1};
    if (status == 0) {
      const tag_t targetCsys = m_targetData != nullptr && m_targetData->GetDieCoordinateSystemFlag()
                                   ? m_targetData->GetDieCoordinateSystemTag()
                                   : 0;
      status = PreviewFrame(m_dieCenterlineCoordinateSystem, targetCsys, m_baseOrientation, m_targetData, &csys,
                            &createdCsys, origin, normal);
    }
    int sheet = 0;
    if (status == 0) {
      const bool targetInterior = m_targetData != nullptr && m_targetData->GetInteriorProfileFlag();
      status = PreviewCurve(m_interiorProfile, targetInterior,
                            targetInterior ? m_targetData->GetInteriorProfileCurve() : 0, &interiorCurve);
      if (status == 0 && interiorCurve != 0) {
        if (tag_t metal = m_sheetMetal->ask_selected_tag(); metal != 0)
          sheet = ES_solid_ask_solvane_tag(metal);
        else if (m_targetData != nullptr && m_targetData->GetSheetBodyFlag())
          sheet = ES_solid_ask_solvane_tag(m_targetData->GetSheetBody());
      }
    }
    if (status == 0) {
      toolData.baseFlangeCurve = static_cast<std::int32_t>(flangeCurve);
      toolData.coordinateSystem = static_cast<std::int32_t>(csys);
      for (int i = 0; i < 3; ++i) {
        toolData.baseOrigin[i] = origin[i];
        toolData.baseNormal[i] = normal[i];
        toolData.negatedNormal[i] = 0.0 - normal[i];
      }
      toolData.sheetBody = sheet;
      toolData.interiorProfileCurve = static_cast<std::int32_t>(interiorCurve);
      node = CreateApplStructure();
      const double tolerances[2] = {m_distanceTolerance, m_angleTolerance};
      status = DIEDES_KEY_parent_create_tool_body(node, tolerances, &toolData, kKeywayCode, tools.count(),
                                                  tools.bodies(), second.out());
    }
    if (status == 0)
      HandOutPreviewBodies({kSource, kPreviewLine, "Keyway: Performing boolean operation"}, m_distanceTolerance,
                           bodyType, &copy, tools.count(), tools.bodies(), second.get(), out.count(), out.bodies());
  } catch (const std::exception& e) {
    const int rc = Error::HandleAsBuilder(e, kSource, kPreviewLine);
    if (status == 0) status = rc;
  }

  tools.Delete();
  second.reset();
  FreeApplStructure(node);
  // What the preview made for itself goes, whatever happened.
  for (tag_t made : {flangeCurve, interiorCurve, createdCsys}) {
    if (made == 0) continue;
    // The clean-up always runs whole: a sleep state that cannot be set is
    // noted, and the object still goes.
    Stamvik::RunNoted("RM_set_sleep_state", [made] { RM_set_sleep_state(made, 1); });
    UPDATE_log_entity_to_delete(made);
  }
  DieDesUtilsDeleteBody(copy);
  if (status != 0) {
    out.Delete();  // and the model goes back to the mark
  } else {
    out.HandOver(count, bodies);
    mark.Commit();
  }
  return status;
}

// ---- the application structure -----------------------------------------------------

void KeywayBuilder::PopulateValuesInStucture(DIEDES_NODE_s* node) const {
  void** data = DIEDES_NODE_ask_appl_data(node);
  if (data == nullptr) return;
  auto* record = static_cast<unsigned char*>(data[0]);
  if (record != nullptr)
    put<std::int32_t>(record, 0, m_location);
  else
    record = static_cast<unsigned char*>(data[1]);
  if (record == nullptr) return;
  const double deck = m_targetData != nullptr && m_targetData->GetThicknessFlag() ? m_targetData->GetThicknessValue()
                                                                                  : ExpressionValue(m_deckThickness);
  const double values[12] = {ExpressionValue(m_slotLength),      ExpressionValue(m_slotWidth),
                             ExpressionValue(m_slotDepth),       ExpressionValue(m_padWidth),
                             ExpressionValue(m_padHeight),       ExpressionValue(m_minimumRibHeight) + deck,
                             ExpressionValue(m_runoffLength),    ExpressionValue(m_runoffWidth),
                             ExpressionValue(m_runoffDepth),     ExpressionValue(m_runoffRadius) * 2.0,
                             ExpressionValue(m_placementOffset), ExpressionValue(m_offset)};
  for (int i = 0; i < 12; ++i) put(record, 8 + 8 * i, values[i]);
  put<std::int32_t>(record, 104, GetType());
  put<std::int32_t>(record, 108, m_location);
  put<std::int32_t>(record, 112, kKeywayCode);
  put<std::int32_t>(record, 116, 0);
  put<std::int32_t>(record, 120, m_createWithPad ? 1 : 0);
}

DIEDES_NODE_s* KeywayBuilder::CreateApplStructure() const {
  static const DIEDES_NODE_init_s description{11, "Keyways", 10, "Key", nullptr};
  DIEDES_NODE_s* parent = nullptr;
  if (DIEDES_NODE_create_nodes(1, &description, nullptr, nullptr, &parent) != 0 || parent == nullptr) return nullptr;
  parent->tolerances[0] = m_distanceTolerance;
  parent->tolerances[1] = m_angleTolerance;
  DIEDES_NODE_s* child = nullptr;
  try {
    PopulateValuesInStucture(parent);
    child = DIEDES_NODE_create_child(parent);
  } catch (...) {
    FreeApplStructure(parent);
    throw;
  }
  void** from = DIEDES_NODE_ask_appl_data(parent);
  void** to = DIEDES_NODE_ask_appl_data(child);
  // The record that was filled: the first one, or the second without a first.
  const void* filled = from[0] != nullptr ? from[0] : from[1];
  if (filled != nullptr && to != nullptr && to[1] != nullptr)
    std::memcpy(static_cast<unsigned char*>(to[1]) + 8, static_cast<const unsigned char*>(filled) + 8, 120);
  return parent;
}

void KeywayBuilder::FreeApplStructure(DIEDES_NODE_s* node) {
  if (node == nullptr) return;
  DIEDES_NODE_free_appl_data(node);
  SM_free(node);
}

char* KeywayBuilder::ask_journal_class_name() const { return SM_string_copy("Die.KeywayBuilder"); }

JA_KEYWAY_BUILDER_location_type KeywayBuilder::GetLocation() const {
  int location = 0;
  OM::OM_ask_int(this, m_locationAttId, &location);
  return static_cast<JA_KEYWAY_BUILDER_location_type>(location);
}
void KeywayBuilder::SetLocation(JA_KEYWAY_BUILDER_location_type location) {
  OM::OM_set_int(this, m_locationAttId, location);
}
JA_KEYWAY_BUILDER_types KeywayBuilder::GetType() const { return static_cast<JA_KEYWAY_BUILDER_types>(m_type); }
void KeywayBuilder::SetType(JA_KEYWAY_BUILDER_types type) {
  OM::LogForWrite(this);
  m_type = type;
}

void KeywayBuilder::SetLocationInt(int location) {
  OM::LogForWrite(this);
  m_location = location;
}
void KeywayBuilder::SetCreateWithPad(bool create) {
  OM::LogForWrite(this);
  m_createWithPad = create;
}
void KeywayBuilder::SetDistanceTolerance(double tolerance) {
  OM::LogForWrite(this);
  m_distanceTolerance = tolerance;
}
void KeywayBuilder::SetAngleTolerance(double tolerance) {
  OM::LogForWrite(this);
  m_angleTolerance = tolerance;
}

void KeywayBuilder::SetBaseFlange(SC_section* section) { OM::SetReferencedObject(this, m_baseFlangeAttId, section); }
void KeywayBuilder::SetInteriorProfile(SC_section* section) {
  OM::SetReferencedObject(this, m_interiorProfileAttId, section);
}

void KeywayBuilder::SetOffset(EXP_expression* expression) {
  OM::SetReferencedObject(this, m_offsetAttId, expression);
}
void KeywayBuilder::SetPlacementOffset(EXP_expression* expression) {
  OM::SetReferencedObject(this, m_placementOffsetAttId, expression);
}
void KeywayBuilder::SetDeckThickness(EXP_expression* expression) {
  OM::SetReferencedObject(this, m_deckThicknessAttId, expression);
}
void KeywayBuilder::SetSlotLength(EXP_expression* expression) {
  OM::SetReferencedObject(this, m_slotLengthAttId, expression);
}
void KeywayBuilder::SetSlotWidth(EXP_expression* expression) {
  OM::SetReferencedObject(this, m_slotWidthAttId, expression);
}
void KeywayBuilder::SetSlotDepth(EXP_expression* expression) {
  OM::SetReferencedObject(this, m_slotDepthAttId, expression);
}
void KeywayBuilder::SetPadWidth(EXP_expression* expression) {
  OM::SetReferencedObject(this, m_padWidthAttId, expression);
}
void KeywayBuilder::SetPadHeight(EXP_expression* expression) {
  OM::SetReferencedObject(this, m_padHeightAttId, expression);
}
void KeywayBuilder::SetMinimumRibHeight(EXP_expression* expression) {
  OM::SetReferencedObject(this, m_minimumRibHeightAttId, expression);
}
void KeywayBuilder::SetRunoffLength(EXP_expression* expression) {
  OM::SetReferencedObject(this, m_runoffLengthAttId, expression);
}
void KeywayBuilder::SetRunoffWidth(EXP_expression* expression) {
  OM::SetReferencedObject(this, m_runoffWidthAttId, expression);
}
void KeywayBuilder::SetRunoffDepth(EXP_expression* expression) {
  OM::SetReferencedObject(this, m_runoffDepthAttId, expression);
}
void KeywayBuilder::SetRunoffRadius(EXP_expression* expression) {
  OM::SetReferencedObject(this, m_runoffRadiusAttId, expression);
}

}  // namespace KTX::DieDesJA
