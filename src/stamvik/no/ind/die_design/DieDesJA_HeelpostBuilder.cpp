#include "DieDesJA_HeelpostBuilder.hpp"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <exception>

#include "DieDesJA_ParameterEntities.hpp"
#include "DieDesJA_SelectedTags.hpp"
#include "DieDesJA_TemporaryFeaturePreview.hpp"
#include "InputChecks.hpp"
#include "Messages.hpp"
#include "OnEveryExit.hpp"
#include "Support.hpp"
#include "afl/BodyUtils.hpp"
#include "afl/DieAttributes.hpp"
#include "afl/Parms.hpp"
#include "exp/Expression.hpp"
#include "geom/Curve.hpp"
#include "geom/Geometry.hpp"
#include "kernel/Kernel.hpp"
#include "math/Vector.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "sys/Settings.hpp"
#include "upd/Update.hpp"

namespace KTX::DieDesJA {

STAMVIK_OM_INSTANCE_SIZE_DEF(HeelpostBuilder)
STAMVIK_OM_DEFINE_CLASS(HeelpostBuilder, "KTX::DieDesJA::GenericBodyBuilder", 0x1000,
                        &GetHeelpostBuilderInstanceSize, STAMVIK_HEELPOST_BUILDER_ATTRIBUTES)

HeelpostBuilder* HeelpostBuilderFactory::Create(CM_part* part, FEATURE_RECORD* frec) {
  return Frame::CreateAndInit<HeelpostBuilder>(HeelpostBuilderClassId, [&](HeelpostBuilder* made) {
    made->InitCreate(part, frec);
  });
}

namespace {

constexpr const char* kSource = "DieDesJA_HeelpostBuilder";
constexpr double kMargin = 1e-10;
constexpr int kNotifyLine = 931;
constexpr int kPreviewLine = 1215;

using Messages::kAngleToleranceTooSmall;
using Messages::kBadBaseOrientation;
using Messages::kBadLocation;
using Messages::kBadOffsetDirection;
using Messages::kBadOrientationPlane;
using Messages::kDistanceToleranceTooSmall;
using Messages::kHeelpostDiameterNegative;
using Messages::kHeelpostFloorThicknessNegative;
using Messages::kHeelpostHeightNotPositive;
using Messages::kHeelpostLengthNotPositive;
using Messages::kHeelpostPadThicknessNotPositive;
using Messages::kHeelpostReliefDepthNegative;
using Messages::kHeelpostReliefWidthNegative;
using Messages::kHeelpostWallOffsetNegative;
using Messages::kHeelpostWallPercentageOutOfRange;
using Messages::kHeelpostWallThicknessNegative;
using Messages::kHeelpostWidthNotPositive;
using Messages::kNoDatabaseParms;
using Messages::kNoWalls;
using Messages::kWrongParms;

constexpr int kItems = 9;
constexpr int kApplyInPlace = 2;
constexpr int kToolDataCode = 80000;

using Stamvik::ExpressionValue;

template <class T>
void put(unsigned char* record, int at, T value) {
  std::memcpy(record + at, &value, sizeof value);
}

// Part of the preview's clean-up, which always runs whole: a sleep state that
// cannot be set is noted, and the object still goes.
void sleepAndDelete(tag_t made) {
  if (made == 0) return;
  Stamvik::RunNoted("RM_set_sleep_state", [made] { RM_set_sleep_state(made, 1); });
  UPDATE_log_entity_to_delete(made);
}

// The heel post's parameters of the record, raising 670156 from the line
// given for a record without parameters and for parameters of another class.
DieDes::Heelpost* heelpostParmsOrRaise(const FEATURE_RECORD* frec, int noParmsLine, int wrongClassLine) {
  FEATURE_PARMS* any = frec != nullptr ? FREC_ask_parms_of_frec(frec) : nullptr;
  if (any == nullptr) ERROR_raise(kSource, noParmsLine, kNoDatabaseParms, "Feature has no database parameters.");
  auto* parms = dynamic_cast<DieDes::Heelpost*>(any);
  if (parms == nullptr) ERROR_raise(kSource, wrongClassLine, kNoDatabaseParms, "Feature is not a Heelpost.");
  return parms;
}

}  // namespace

// The 21 dimensions in the order the parameters hold them.
#define STAMVIK_HEELPOST_DIMENSIONS(X)                                                                        \
  X(LocationOffset) X(BaseOffset) X(PadOffset) X(Length) X(Width) X(Height) X(PadThickness) X(FloorThickness) \
      X(Diameter) X(XOffset) X(YOffset) X(ReliefWidth) X(ReliefDepth) X(WallAThickness) X(WallAOffset)        \
          X(WallBThickness) X(WallBOffset) X(WallCThickness) X(WallCOffset) X(WallDThickness) X(WallDOffset)

void HeelpostBuilder::InitCreate(CM_part* part, FEATURE_RECORD* frec) {
  init_object(part, frec);
  SetAlgorithmVersion(0);
  PART_part* owningPart = ask_owning_part();
  OM::OM_set_pointer(this, m_targetDataAttId, DieDes::HeelpostTargetFactory::Create(owningPart));
  OM::OM_set_pointer(this, m_targetAttId, SELECT_OBJECTFactory::Create(owningPart));
  DieLocationBuilder* center = DieLocationBuilderFactory::CreateItem(owningPart, true, true, true, true, false, true);
  OM::OM_set_pointer(this, m_centerAttId, center);
  center->SetApplScopeLocation(3);
  DieDes::DieDirectionBuilder* direction =
      DieDes::DieDirectionBuilderFactory::Create(owningPart, true, true, true, true, true, false);
  OM::OM_set_pointer(this, m_offsetDirectionAttId, direction);
  direction->SetApplScopeDirection(3);
  DieDes::DiePlaneBuilder* base = DieDes::DiePlaneBuilderFactory::Create(owningPart, true, true, true, true, true);
  OM::OM_set_pointer(this, m_baseOrientationAttId, base);
  DieDes::DiePlaneBuilder* pad = DieDes::DiePlaneBuilderFactory::Create(owningPart, true, true, true, true, false);
  OM::OM_set_pointer(this, m_padOrientationAttId, pad);
  base->SetApplScopePlane(3);
  pad->SetApplScopePlane(3);
  OM::OM_set_pointer(this, m_dieCenterlineCoordinateSystemAttId, SELECT_OBJECTFactory::Create(owningPart));
  for (const OM::AttributeId* attribute : {&m_padAttributesAttId, &m_reliefAttributesAttId, &m_holeAttributesAttId})
    OM::OM_set_pointer(this, *attribute, DieDes::DieAttributesBuilderFactory::Create(owningPart, true, true, false));
  OM::OM_set_pointer(this, m_holeDiameterAttributesAttId,
                     DieDes::DieAttributesBuilderFactory::Create(owningPart, false, false, false));

  if (frec != nullptr) {
    ConvertFrecToBuilderData(frec);
  } else {
    EXP_expression* percentage = nullptr;
    EXP_create_sys_exp_with_units_all_errors("0", UNIT_ask_default_unit_obj_for_measure(-1), &percentage);
    OM::OM_set_pointer(this, m_wallPercentageAttId, percentage);
    for (const OM::AttributeId* attribute :
         {&m_locationOffsetAttId, &m_baseOffsetAttId, &m_padOffsetAttId, &m_lengthAttId, &m_widthAttId,
          &m_heightAttId, &m_padThicknessAttId, &m_floorThicknessAttId, &m_diameterAttId, &m_xOffsetAttId,
          &m_yOffsetAttId, &m_reliefWidthAttId, &m_reliefDepthAttId, &m_wallAThicknessAttId, &m_wallAOffsetAttId,
          &m_wallBThicknessAttId, &m_wallBOffsetAttId, &m_wallCThicknessAttId, &m_wallCOffsetAttId,
          &m_wallDThicknessAttId, &m_wallDOffsetAttId})
      OM::OM_set_pointer(this, *attribute, NewZeroLength());
    SetDistanceTolerance(TOLER_ask_distance_tol());
    SetAngleTolerance(TOLER_ask_angular_tol());
  }
  m_target->SetParentHasObservers(true);
}

void HeelpostBuilder::Notify(OM::Object* changed) {
  ReactToTargetChange(changed, m_target, m_targetData, m_baseOrientation, m_floorThickness, kSource, kNotifyLine);
}

int HeelpostBuilder::validate_nothrow() {
  if (int rc = Stamvik::CheckInputs(this); rc != 0) return rc;
  if (m_center == nullptr || m_center->validate_nothrow() != 0) return kBadLocation;
  if (m_offsetDirection == nullptr || m_offsetDirection->validate_nothrow() != 0) return kBadOffsetDirection;
  if (m_baseOrientation == nullptr || m_baseOrientation->validate_nothrow() != 0) return kBadBaseOrientation;
  if (m_padOrientation == nullptr || m_padOrientation->validate_nothrow() != 0) return kBadOrientationPlane;
  struct Check {
    const EXP_expression* value;
    bool positive;  // else non-negative
    int message;
  };
  const Check checks[] = {
      {m_length, true, kHeelpostLengthNotPositive},
      {m_width, true, kHeelpostWidthNotPositive},
      {m_height, true, kHeelpostHeightNotPositive},
      {m_padThickness, true, kHeelpostPadThicknessNotPositive},
      {m_floorThickness, false, kHeelpostFloorThicknessNegative},
      {m_diameter, false, kHeelpostDiameterNegative},
      {m_reliefWidth, false, kHeelpostReliefWidthNegative},
      {m_reliefDepth, false, kHeelpostReliefDepthNegative},
  };
  for (const Check& check : checks) {
    const double v = ExpressionValue(check.value);
    if (check.positive ? !(v > kMargin) : !(v > -kMargin)) return check.message;
  }
  const double percentage = ExpressionValue(m_wallPercentage);
  if (!(percentage > kMargin) || !(percentage < 99.9999999999)) return kHeelpostWallPercentageOutOfRange;
  for (const EXP_expression* thickness : {m_wallAThickness, m_wallBThickness, m_wallCThickness, m_wallDThickness})
    if (!(ExpressionValue(thickness) > -kMargin)) return kHeelpostWallThicknessNegative;
  for (const EXP_expression* offset : {m_wallAOffset, m_wallBOffset, m_wallCOffset, m_wallDOffset})
    if (!(ExpressionValue(offset) > -kMargin)) return kHeelpostWallOffsetNegative;
  if (m_distanceTolerance < kMargin) return kDistanceToleranceTooSmall;
  if (m_angleTolerance < kMargin) return kAngleToleranceTooSmall;
  return 0;
}

void HeelpostBuilder::GetSelectedObjects(int* count, tag_t** tags) const {
  *count = 0;
  *tags = nullptr;
  AppendSelectedTag(count, tags, m_target->ask_selected_tag());
  if (m_center != nullptr) m_center->GetSelectedObjects(count, tags);
  if (m_offsetDirection != nullptr) m_offsetDirection->GetSelectedObjects(count, tags);
  if (m_baseOrientation != nullptr) m_baseOrientation->GetSelectedObjects(count, tags);
  if (m_padOrientation != nullptr) m_padOrientation->GetSelectedObjects(count, tags);
  AppendSelectedTag(count, tags, m_dieCenterlineCoordinateSystem->ask_selected_tag());
}

int HeelpostBuilder::commit_feature(FEATURE_RECORD** frec) {
  return CommitUpdatingTarget(frec, m_targetData, m_target,
                              []() -> DIEDES_GENERIC_BODY_PARMS* { return DieDes::HeelpostFactory::Create(); });
}

// ---- parameters ------------------------------------------------------------------------

int HeelpostBuilder::ConvertBuilderDataToFrec(FEATURE_RECORD* frec) {
  DieDes::Heelpost* parms = heelpostParmsOrRaise(frec, 676, 672);
  OM::LogForWrite(parms);
  parms->SetAlgorithmVersion(GetAlgorithmVersion());
  return ToParms(parms);
}

int HeelpostBuilder::ToParms(DIEDES_GENERIC_BODY_PARMS* parms) {
  auto* heelpost = dynamic_cast<DieDes::Heelpost*>(parms);
  if (heelpost == nullptr) return kWrongParms;
  // More items than the layout: nothing is written through items that are
  // not the ones meant.
  if (parms->GetNumEntities() > kItems) return kWrongParms;
  if (int rc = WriteLocationEntity(parms, 0, m_center); rc != 0) return rc;
  if (int rc = WriteDirectionEntity(parms, 1, m_offsetDirection); rc != 0) return rc;
  if (int rc = WritePlaneEntity(parms, 2, m_baseOrientation); rc != 0) return rc;
  if (int rc = WritePlaneEntity(parms, 3, m_padOrientation); rc != 0) return rc;
  const tag_t csys = m_dieCenterlineCoordinateSystem->ask_selected_tag();
  if (int rc = WriteTagsEntity(parms, 4, 0, csys != 0 ? 1 : 0, csys != 0 ? &csys : nullptr); rc != 0) return rc;
#define STAMVIK_HEELPOST_FIELD(Name) Get##Name(),
  EXP_expression* const dimensions[21] = {STAMVIK_HEELPOST_DIMENSIONS(STAMVIK_HEELPOST_FIELD)};
#undef STAMVIK_HEELPOST_FIELD
  if (int rc = WriteExpressionsEntity(parms, 5, 1, 21, dimensions); rc != 0) return rc;
  EXP_expression* percentage = m_wallPercentage;
  if (int rc = WriteExpressionsEntity(parms, 6, 1, 1, &percentage); rc != 0) return rc;
  const int ints[11] = {GetType(),         m_usePercent,      m_createFloor,     m_wallACreate,
                        m_wallARelief,     m_wallBCreate,     m_wallBRelief,     m_wallCCreate,
                        m_wallCRelief,     m_wallDCreate,     m_wallDRelief};
  if (int rc = WriteIntsEntity(parms, 8, 0, 11, ints); rc != 0) return rc;

  OM::LogForWrite(parms);
  parms->SetDistanceTolerance(m_distanceTolerance);
  parms->SetAngleTolerance(m_angleTolerance);

  DieAttributesRecord records[4];
  DieDes::DIEDES_ATTRIBUTE_TABLE table{{}, {0, 1, 2, 3}, 4, records};
  if (int rc = heelpost->ReadAttributeRecords(&table); rc != 0) return rc;
  const DieDes::DieAttributesBuilder* builders[4] = {m_padAttributes, m_reliefAttributes, m_holeAttributes,
                                                     m_holeDiameterAttributes};
  FillDieAttributesRecords(records, builders);
  return heelpost->ApplyAttributeRecords(OM_ask_subobject_owner(parms), &table, kApplyInPlace);
}

void HeelpostBuilder::ConvertFrecToBuilderData(FEATURE_RECORD* frec) {
  DieDes::Heelpost* parms = heelpostParmsOrRaise(frec, 497, 493);
  SetAlgorithmVersion(parms->GetAlgorithmVersion());
  const int items = EntitiesToUse(parms, kItems);
  if (items > 0) {
    SetDistanceTolerance(parms->GetDistanceTolerance());
    SetAngleTolerance(parms->GetAngleTolerance());
  }
  if (items > 0) ReadLocationEntity(parms, 0, m_center);
  if (items > 1) ReadDirectionEntity(parms, 1, m_offsetDirection);
  if (items > 2) ReadPlaneEntity(parms, 2, m_baseOrientation);
  if (items > 3) ReadPlaneEntity(parms, 3, m_padOrientation);
  if (items > 4 && parms->GetEntity(4)->AskCount() > 0) {
    if (const tag_t csys = parms->AskEntityTag(4, 0); csys != 0) m_dieCenterlineCoordinateSystem->set_selected_tag(csys);
  }
  if (items > 5) {
    // In the order of STAMVIK_HEELPOST_DIMENSIONS.
    const OM::AttributeId* const fields[] = {
        &m_locationOffsetAttId, &m_baseOffsetAttId,     &m_padOffsetAttId,      &m_lengthAttId,
        &m_widthAttId,          &m_heightAttId,         &m_padThicknessAttId,   &m_floorThicknessAttId,
        &m_diameterAttId,       &m_xOffsetAttId,        &m_yOffsetAttId,        &m_reliefWidthAttId,
        &m_reliefDepthAttId,    &m_wallAThicknessAttId, &m_wallAOffsetAttId,    &m_wallBThicknessAttId,
        &m_wallBOffsetAttId,    &m_wallCThicknessAttId, &m_wallCOffsetAttId,    &m_wallDThicknessAttId,
        &m_wallDOffsetAttId};
    int position = 0;
    for (const OM::AttributeId* field : fields) ReadExpressionCopy(*field, parms, 5, position++);
  }
  if (items > 6) ReadExpressionCopy(m_wallPercentageAttId, parms, 6, 0);
  if (items > 8) {
    SetType(static_cast<JA_HEELPOST_BUILDER_types>(parms->AskEntityInt(8, 0)));
    const auto flag = [&](int position) { return parms->AskEntityInt(8, position) == 1; };
    SetUsePercent(flag(1));
    SetCreateFloor(flag(2));
    SetWallACreate(flag(3));
    SetWallARelief(flag(4));
    SetWallBCreate(flag(5));
    SetWallBRelief(flag(6));
    SetWallCCreate(flag(7));
    SetWallCRelief(flag(8));
    SetWallDCreate(flag(9));
    SetWallDRelief(flag(10));
  }
  ReadFaceAttributes(parms, {m_padAttributes, m_reliefAttributes, m_holeAttributes, m_holeDiameterAttributes});
  ReadTargetBody(parms, m_target);
}

// ---- the application structure -----------------------------------------------------------

void HeelpostBuilder::PopulateValuesInStucture(DIEDES_NODE_s* node) const {
  void** data = DIEDES_NODE_ask_appl_data(node);
  if (data == nullptr || data[1] == nullptr) return;
  auto* record = static_cast<unsigned char*>(data[1]);
  const bool creates[4] = {m_wallACreate, m_wallBCreate, m_wallCCreate, m_wallDCreate};
  put<std::int32_t>(record, 20, m_usePercent ? 1 : 0);
  for (int i = 0; i < 4; ++i) put<std::int32_t>(record, 24 + 4 * i, creates[i] ? 1 : 0);
  if (!creates[0] && !creates[1] && !creates[2] && !creates[3])
    ERROR_raise(kSource, 1347, kNoWalls, "Parameters do not create any walls.");

  const bool guidepost = m_type == JA_HEELPOST_BUILDER_types_GuidepostWearplate;
  put<std::int32_t>(record, 40, guidepost ? 1 : 0);
  double floor = 0.0;
  if (m_createFloor)
    floor = m_targetData != nullptr && m_targetData->GetThicknessFlag() ? m_targetData->GetThicknessValue()
                                                                        : ExpressionValue(m_floorThickness);
  const double values[13] = {ExpressionValue(m_locationOffset),
                             ExpressionValue(m_padOffset),
                             ExpressionValue(m_baseOffset),
                             ExpressionValue(m_length),
                             ExpressionValue(m_width),
                             ExpressionValue(m_padThickness),
                             floor,
                             guidepost ? ExpressionValue(m_diameter) : 0.0,
                             ExpressionValue(m_xOffset),
                             ExpressionValue(m_yOffset),
                             ExpressionValue(m_reliefWidth),
                             ExpressionValue(m_reliefDepth),
                             ExpressionValue(m_wallPercentage)};
  for (int i = 0; i < 13; ++i) put(record, 48 + 8 * i, values[i]);

  double thicknesses[4] = {ExpressionValue(m_wallAThickness), ExpressionValue(m_wallBThickness),
                           ExpressionValue(m_wallCThickness), ExpressionValue(m_wallDThickness)};
  if (m_usePercent) {
    const double length = ExpressionValue(m_length), width = ExpressionValue(m_width);
    const double t =
        DieDes::Heelpost::CalculateWallThickness(creates[0], creates[1], creates[2], creates[3], length, width,
                                                 ExpressionValue(m_wallPercentage), m_distanceTolerance);
    if (t > kMargin) {
      ERROR_lprintf("Area LxW %f, reduced to thickness %f\n", length * width, t);
      for (int i = 0; i < 4; ++i) thicknesses[i] = creates[i] ? t : 0.0;
    }
  }
  for (int i = 0; i < 4; ++i) put(record, 152 + 8 * i, thicknesses[i]);
  const int lines[4] = {1459, 1464, 1469, 1474};
  for (int i = 0; i < 4; ++i)
    if (creates[i] && thicknesses[i] < m_distanceTolerance)
      ERROR_raise(kSource, lines[i], kNoWalls, "Parameters do not create any walls.");
  const double offsets[4] = {ExpressionValue(m_wallAOffset), ExpressionValue(m_wallBOffset),
                             ExpressionValue(m_wallCOffset), ExpressionValue(m_wallDOffset)};
  for (int i = 0; i < 4; ++i) put(record, 184 + 8 * i, offsets[i]);
}

DIEDES_NODE_s* HeelpostBuilder::CreateApplStructure(tag_t location, tag_t padPlane, tag_t direction,
                                                    tag_t csys) const {
  static const DIEDES_NODE_init_s description{23, "Heelposts", 22, "Heelpost", nullptr};
  DIEDES_NODE_s* parent = nullptr;
  if (DIEDES_NODE_create_nodes(1, &description, nullptr, nullptr, &parent) != 0 || parent == nullptr) return nullptr;
  parent->tolerances[0] = m_distanceTolerance;
  parent->tolerances[1] = m_angleTolerance;
  try {
    DIEDES_NODE_s* child = DIEDES_NODE_create_child(parent);
    PopulateValuesInStucture(child);
    auto* record = static_cast<unsigned char*>(DIEDES_NODE_ask_appl_data(child)[1]);
    put<std::int32_t>(record, 0, static_cast<std::int32_t>(location));
    put<std::int32_t>(record, 4, static_cast<std::int32_t>(padPlane));
    put<std::int32_t>(record, 12, static_cast<std::int32_t>(direction));
    put<std::int32_t>(record, 16, static_cast<std::int32_t>(csys));
  } catch (...) {
    FreeApplStructure(parent);
    throw;
  }
  return parent;
}

void HeelpostBuilder::FreeApplStructure(DIEDES_NODE_s* node) {
  if (node == nullptr) return;
  DIEDES_NODE_free_appl_data(node);
  SM_free(node);
}

// ---- preview ------------------------------------------------------------------------------

int HeelpostBuilder::CreateBodies(int* count, int** bodies) const {
  Stamvik::UndoMarkScope mark = PreviewUndoMarkScope("Heelpost create bodies");
  int status = 0;
  int bodyType = ZV_BODY_type_solid_c;
  int copy = 0;
  int targetBody = 0;
  Stamvik::BodyArray tools;
  Stamvik::HostBlock<int> second;
  Stamvik::BodyArray out;
  tag_t center = 0, direction = 0, createdCsys = 0, padPlane = 0;
  bool centerCreated = false, directionCreated = false, padPlaneCreated = false;
  DIEDES_NODE_s* node = nullptr;

  try {
    if (tag_t target = m_target->ask_selected_tag(); target != 0) {
      targetBody = ES_solid_ask_solvane_tag(target);
      if (targetBody != 0) {
        DieDesUtilsSolvaneCopy(false, targetBody, &copy);
        if (copy != 0) ZV_BODY_ask_type(copy, &bodyType);
      }
    }
    center = m_center->GetOutputTag(static_cast<SO_update_option_t>(0), &centerCreated, &status);
    if (status == 0 && center == 0) status = kBadLocation;
    if (status == 0)
      direction = m_offsetDirection->GetOutputTag(static_cast<SO_update_option_t>(1), &directionCreated, &status);
    tag_t csys = 0;
    double origin[3] = {0, 0, 0}, normal[3] = {0, 0, 1};
    if (status == 0) {
      const tag_t targetCsys = m_targetData != nullptr && m_targetData->GetCoordinateSystemFlag() ? m_targetData->GetCoordinateSystem() : 0;
      status = PreviewFrame(m_dieCenterlineCoordinateSystem, targetCsys, m_baseOrientation, m_targetData, &csys,
                            &createdCsys, origin, normal);
    }
    double padPoint[3] = {0, 0, 0};
    if (status == 0) {
      double matrix[9];
      if (m_padOrientation->GetPlaneDefinition(&padPlane, padPoint, matrix)) {
        if (padPlane == 0) {
          padPlane = ES_create_plane(padPoint, matrix);
          padPlaneCreated = padPlane != 0;
        }
      } else {
        const double height = ExpressionValue(m_height);
        if (!(std::fabs(height) > m_distanceTolerance)) status = kHeelpostHeightNotPositive;
        Math::AddScaled(origin, height, normal, padPoint);
        MTX3_init_z(normal, matrix);
        padPlane = ES_create_plane(padPoint, matrix);
        padPlaneCreated = padPlane != 0;
      }
    }
    if (status == 0) {
      DIEDES_HLPST_tool_data_s toolData{};
      for (int i = 0; i < 3; ++i) {
        toolData.negatedNormal[i] = 0.0 - normal[i];
        toolData.baseNormal[i] = normal[i];
        toolData.baseOrigin[i] = origin[i];
      }
      status = DieDes::Heelpost::DeterminePlaneDistances(copy, padPoint, origin, normal, toolData.planePoint,
                                                         toolData.planeVector, toolData.planeDistances);
      toolData.coordinateSystem = static_cast<std::int32_t>(csys);
      toolData.tolerances[0] = m_distanceTolerance;
      toolData.tolerances[1] = m_angleTolerance;
      toolData.setting = m_targetData != nullptr && m_targetData->GetSettingFlag() ? m_targetData->GetSetting()
                                                                                   : kToolDataCode;
      const bool reliefs[4] = {m_wallARelief, m_wallBRelief, m_wallCRelief, m_wallDRelief};
      for (int i = 0; i < 4; ++i) toolData.reliefs[i] = reliefs[i] ? 1 : 0;
      toolData.one = 1;
      if (status == 0) {
        node = CreateApplStructure(center, padPlane, direction, csys);
        const double tolerances[2] = {m_distanceTolerance, m_angleTolerance};
        status = DIEDES_HLPST_parent_create_tool_body(node, tolerances, &toolData, 7010000, 7020000, 7030000, 7040000,
                                                      tools.count(), tools.bodies(), second.out());
      }
    }
    if (status == 0) {
      if (copy != 0 && bodyType == ZV_BODY_type_solid_c) {
        int result = 0;
        DIEDES_UTILS_boolean_bodies(copy, tools.size(), tools.data(), second.get(), ZV_boolean_unite_c, nullptr,
                                    m_distanceTolerance, "Heelpost: Performing boolean operation", &result);
        DIEDES_UTILS_boolean_bodies2(54, &copy, tools.size(), tools.data(), second.get(), ZV_boolean_subtract_c,
                                     nullptr, m_distanceTolerance, "Heelpost: Performing boolean operation", &result);
        if (copy != 0) {
          *out.bodies() = static_cast<int*>(SM_calloc(1, sizeof(int)));
          if (out.data() == nullptr) ERROR_raise(kSource, kPreviewLine, Error::kNoMemory, "no memory for a body");
          out.data()[0] = copy;
          *out.count() = 1;
          copy = 0;  // held by the result now
        }
      } else if (tools.size() > 0) {
        tools.HandOver(out);
      }
    }
  } catch (const std::exception& e) {
    const int rc = Error::HandleAsBuilder(e, kSource, kPreviewLine);
    if (status == 0) status = rc;
  }

  tools.Delete();
  second.reset();
  FreeApplStructure(node);
  // What the preview made for itself goes, whatever happened.
  if (centerCreated) sleepAndDelete(center);
  if (padPlaneCreated) sleepAndDelete(padPlane);
  if (directionCreated) sleepAndDelete(direction);
  sleepAndDelete(createdCsys);
  if (copy != targetBody) DieDesUtilsDeleteBody(copy);
  if (status != 0) {
    out.Delete();  // and the model goes back to the mark
  } else {
    if (out.size() > 0) out.HandOver(count, bodies);
    mark.Commit();
  }
  return status;
}

char* HeelpostBuilder::ask_journal_class_name() const { return SM_string_copy("Die.HeelpostBuilder"); }

JA_HEELPOST_BUILDER_types HeelpostBuilder::GetType() const {
  return static_cast<JA_HEELPOST_BUILDER_types>(m_type);
}
void HeelpostBuilder::SetType(JA_HEELPOST_BUILDER_types type) {
  OM::LogForWrite(this);
  m_type = type;
}

// Plain fields: logged for undo, then stored.
#define STAMVIK_HEELPOST_PLAIN_SETTER(Name, Type, field) \
  void HeelpostBuilder::Set##Name(Type value) {          \
    OM::LogForWrite(this);                               \
    field = value;                                       \
  }

STAMVIK_HEELPOST_PLAIN_SETTER(CreateFloor, bool, m_createFloor)
STAMVIK_HEELPOST_PLAIN_SETTER(UsePercent, bool, m_usePercent)
STAMVIK_HEELPOST_PLAIN_SETTER(WallACreate, bool, m_wallACreate)
STAMVIK_HEELPOST_PLAIN_SETTER(WallARelief, bool, m_wallARelief)
STAMVIK_HEELPOST_PLAIN_SETTER(WallBCreate, bool, m_wallBCreate)
STAMVIK_HEELPOST_PLAIN_SETTER(WallBRelief, bool, m_wallBRelief)
STAMVIK_HEELPOST_PLAIN_SETTER(WallCCreate, bool, m_wallCCreate)
STAMVIK_HEELPOST_PLAIN_SETTER(WallCRelief, bool, m_wallCRelief)
STAMVIK_HEELPOST_PLAIN_SETTER(WallDCreate, bool, m_wallDCreate)
STAMVIK_HEELPOST_PLAIN_SETTER(WallDRelief, bool, m_wallDRelief)
STAMVIK_HEELPOST_PLAIN_SETTER(DisplayOptionalSelections, bool, m_displayOptionalSelections)
STAMVIK_HEELPOST_PLAIN_SETTER(DistanceTolerance, double, m_distanceTolerance)
STAMVIK_HEELPOST_PLAIN_SETTER(AngleTolerance, double, m_angleTolerance)

#undef STAMVIK_HEELPOST_PLAIN_SETTER

// Expressions: references, which the host logs and stores.
#define STAMVIK_HEELPOST_EXPRESSION_SETTER(Name, field)            \
  void HeelpostBuilder::Set##Name(EXP_expression* expression) {    \
    OM::SetReferencedObject(this, field##AttId, expression);       \
  }

STAMVIK_HEELPOST_EXPRESSION_SETTER(LocationOffset, m_locationOffset)
STAMVIK_HEELPOST_EXPRESSION_SETTER(BaseOffset, m_baseOffset)
STAMVIK_HEELPOST_EXPRESSION_SETTER(PadOffset, m_padOffset)
STAMVIK_HEELPOST_EXPRESSION_SETTER(Length, m_length)
STAMVIK_HEELPOST_EXPRESSION_SETTER(Width, m_width)
STAMVIK_HEELPOST_EXPRESSION_SETTER(Height, m_height)
STAMVIK_HEELPOST_EXPRESSION_SETTER(PadThickness, m_padThickness)
STAMVIK_HEELPOST_EXPRESSION_SETTER(FloorThickness, m_floorThickness)
STAMVIK_HEELPOST_EXPRESSION_SETTER(Diameter, m_diameter)
STAMVIK_HEELPOST_EXPRESSION_SETTER(XOffset, m_xOffset)
STAMVIK_HEELPOST_EXPRESSION_SETTER(YOffset, m_yOffset)
STAMVIK_HEELPOST_EXPRESSION_SETTER(ReliefWidth, m_reliefWidth)
STAMVIK_HEELPOST_EXPRESSION_SETTER(ReliefDepth, m_reliefDepth)
STAMVIK_HEELPOST_EXPRESSION_SETTER(WallPercentage, m_wallPercentage)
STAMVIK_HEELPOST_EXPRESSION_SETTER(WallAThickness, m_wallAThickness)
STAMVIK_HEELPOST_EXPRESSION_SETTER(WallAOffset, m_wallAOffset)
STAMVIK_HEELPOST_EXPRESSION_SETTER(WallBThickness, m_wallBThickness)
STAMVIK_HEELPOST_EXPRESSION_SETTER(WallBOffset, m_wallBOffset)
STAMVIK_HEELPOST_EXPRESSION_SETTER(WallCThickness, m_wallCThickness)
STAMVIK_HEELPOST_EXPRESSION_SETTER(WallCOffset, m_wallCOffset)
STAMVIK_HEELPOST_EXPRESSION_SETTER(WallDThickness, m_wallDThickness)
STAMVIK_HEELPOST_EXPRESSION_SETTER(WallDOffset, m_wallDOffset)

#undef STAMVIK_HEELPOST_EXPRESSION_SETTER

}  // namespace KTX::DieDesJA
