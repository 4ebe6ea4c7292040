#include "DieDesJA_FillAreaBuilder.hpp"

#include <cmath>
#include <exception>

#include "DieDesJA_ParameterEntities.hpp"
#include "DieDesJA_SelectedTags.hpp"
#include "DieDesJA_TemporaryFeaturePreview.hpp"
#include "InputChecks.hpp"
#include "LoopAreas.hpp"
#include "Messages.hpp"
#include "Support.hpp"
#include "afl/BodyUtils.hpp"
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

STAMVIK_OM_INSTANCE_SIZE_DEF(FillAreaBuilder)
STAMVIK_OM_DEFINE_CLASS(FillAreaBuilder, "KTX::DieDesJA::GenericBodyBuilder", 0x1000,
                        &GetFillAreaBuilderInstanceSize, STAMVIK_FILL_AREA_BUILDER_ATTRIBUTES)

namespace {

constexpr const char* kSource = "DieDesJA_FillAreaBuilder";
constexpr double kMargin = 1e-10;
constexpr int kEntities = 7;

using Messages::kAngleToleranceTooSmall;
using Messages::kBadBaseOrientation;
using Messages::kDistanceToleranceTooSmall;
using Messages::kOpenSectionLoops;
using Messages::kWrongParms;

// Where errors are reported: the reaction to the target, the preview.
constexpr int kNotifyLine = 800;
constexpr int kPreviewLine = 560;

// The host library's codes for the extrusions and the two trims.
constexpr int kExtrusionFeature = 420000;
constexpr int kDefaultExtrusionKind = 424999;
constexpr int kUpperTrim = 410000;
constexpr int kLowerTrim = 429999;

constexpr const char* kMarkName = "Fill Area create bodies";
constexpr const char* kBooleanText = "Fill Area: Performing boolean operation";

tag_t selectedTag(const SELECT_OBJECT* selection) {
  return selection != nullptr ? selection->ask_selected_tag() : 0;
}

// The entity's first tag, 0 when it holds none.
tag_t firstTag(const DIEDES_GENERIC_BODY_PARMS* parms, int index) {
  int count = 0;
  Stamvik::HostBlock<tag_t> tags;
  parms->GetEntity(index)->AskTags(&count, tags.out());
  return count >= 1 && tags ? tags[0] : 0;
}

}  // namespace

FillAreaBuilder* FillAreaBuilderFactory::Create(CM_part* part, FEATURE_RECORD* frec) {
  return Frame::CreateAndInit<FillAreaBuilder>(FillAreaBuilderClassId, [&](FillAreaBuilder* made) {
    made->InitCreate(part, frec);
  });
}

void FillAreaBuilder::InitCreate(CM_part* part, FEATURE_RECORD* frec) {
  init_object(part, frec);
  SetAlgorithmVersion(0);

  PART_part* owningPart = ask_owning_part();
  OM::OM_set_pointer(this, m_targetDataAttId, DieDes::FillAreaTargetFactory::Create(owningPart));
  OM::OM_set_pointer(this, m_targetAttId, SELECT_OBJECTFactory::Create(owningPart));
  DieDes::DiePlaneBuilder* base = DieDes::DiePlaneBuilderFactory::Create(owningPart, true, true, false, true, true);
  base->SetApplScopePlane(3);
  OM::OM_set_pointer(this, m_baseOrientationAttId, base);
  OM::OM_set_pointer(this, m_upperLimitSheetAttId, SELECT_OBJECTFactory::Create(owningPart));
  DieDes::DiePlaneBuilder* upper = DieDes::DiePlaneBuilderFactory::Create(owningPart, true, true, true, false, true);
  upper->SetApplScopePlane(3);
  OM::OM_set_pointer(this, m_upperLimitPlaneAttId, upper);
  OM::OM_set_pointer(this, m_lowerLimitSheetAttId, SELECT_OBJECTFactory::Create(owningPart));

  if (frec == nullptr) {
    OM::OM_set_pointer(this, m_boundaryAttId, NewSection());
    OM::OM_set_pointer(this, m_lowerLimitOffsetAttId, NewZeroLength());
    SetDistanceTolerance(TOLER_ask_distance_tol());
    SetAngleTolerance(TOLER_ask_angular_tol());
  } else {
    ConvertFrecToBuilderData(frec);
  }

  m_target->SetParentHasObservers(true);
}

char* FillAreaBuilder::ask_journal_class_name() const { return SM_string_copy("Die.FillAreaBuilder"); }

int FillAreaBuilder::validate_nothrow() {
  if (int rc = Stamvik::CheckInputs(this); rc != 0) return rc;
  int first = 0, second = 0, third = 0;
  Stamvik::HostBlock<tag_t> firstItems, secondItems, thirdItems;
  if (m_boundary != nullptr)
    m_boundary->ask_loop_summary(&first, firstItems.out(), &second, secondItems.out(), &third, thirdItems.out());
  if (second >= 1) return kOpenSectionLoops;
  if (m_distanceTolerance < kMargin) return kDistanceToleranceTooSmall;
  if (m_angleTolerance < kMargin) return kAngleToleranceTooSmall;
  // The boundary's loops are all the fill area extrudes; nothing else gives one.
  if (m_boundary == nullptr || m_boundary->is_empty()) return Messages::kFillAreaNoBoundary;
  // A closed loop that encloses nothing gives the build no face to make.
  if (Stamvik::ClosedLoopWithoutArea(m_boundary, m_distanceTolerance)) return Messages::kOutlineNoArea;
  return 0;
}

// ---- parameters -------------------------------------------------------------------

int FillAreaBuilder::ToParms(DIEDES_GENERIC_BODY_PARMS* parms) {
  if (dynamic_cast<DieDes::FillArea*>(parms) == nullptr) return kWrongParms;
  int rc = WriteSectionEntity(parms, 0, 0, m_boundary);
  if (rc == 0) rc = WritePlaneEntity(parms, 1, m_baseOrientation);
  if (rc == 0) {
    const tag_t sheet = selectedTag(m_upperLimitSheet);
    rc = WriteTagsEntity(parms, 2, 1, sheet != 0 ? 1 : 0, sheet != 0 ? &sheet : nullptr);
  }
  if (rc == 0) rc = WritePlaneEntity(parms, 3, m_upperLimitPlane);
  if (rc == 0) {
    const tag_t sheet = selectedTag(m_lowerLimitSheet);
    rc = WriteTagsEntity(parms, 4, 1, sheet != 0 ? 1 : 0, sheet != 0 ? &sheet : nullptr);
  }
  if (rc == 0) {
    const int types[2] = {GetType(), m_upperLimitType};
    rc = WriteIntsEntity(parms, 5, 0, 2, types);
  }
  if (rc == 0) rc = WriteExpressionsEntity(parms, 6, 1, 1, &m_lowerLimitOffset);
  if (rc != 0) return rc;
  OM::LogForWrite(parms);
  parms->SetDistanceTolerance(m_distanceTolerance);
  parms->SetAngleTolerance(m_angleTolerance);
  return rc;
}

int FillAreaBuilder::ConvertBuilderDataToFrec(FEATURE_RECORD* frec) {
  auto* parms = FeatureParmsOfClassOrRaise<DieDes::FillArea>(frec, kSource, 147, "Feature is not a Fill Area.");
  OM::LogForWrite(parms);
  parms->SetAlgorithmVersion(GetAlgorithmVersion());
  return ToParms(parms);
}

void FillAreaBuilder::ConvertFrecToBuilderData(FEATURE_RECORD* frec) {
  auto* parms = FeatureParmsOfClassOrRaise<DieDes::FillArea>(frec, kSource, 154, "Feature is not a Fill Area.");

  SetAlgorithmVersion(parms->GetAlgorithmVersion());
  SetDistanceTolerance(parms->GetDistanceTolerance());
  SetAngleTolerance(parms->GetAngleTolerance());

  const int entities = EntitiesToUse(parms, kEntities);
  if (entities > 0) ReadSectionEntity(this, m_boundaryAttId, m_boundary, parms, 0, 0, ask_owning_part());
  if (entities > 1) ReadPlaneEntity(parms, 1, m_baseOrientation);
  if (entities > 2)
    if (tag_t sheet = firstTag(parms, 2); sheet != 0) m_upperLimitSheet->set_selected_tag(sheet);
  if (entities > 3) ReadPlaneEntity(parms, 3, m_upperLimitPlane);
  if (entities > 4)
    if (tag_t sheet = firstTag(parms, 4); sheet != 0) m_lowerLimitSheet->set_selected_tag(sheet);
  if (entities > 6) ReadExpressionCopy(m_lowerLimitOffsetAttId, parms, 6, 0);
  if (entities > 5) {
    SetType(static_cast<JA_FILL_AREA_BUILDER_Types>(parms->AskEntityInt(5, 0)));
    SetUpperLimitType(static_cast<JA_FILL_AREA_BUILDER_UpperLimitTypes>(parms->AskEntityInt(5, 1)));
  }

  ReadTargetBody(parms, m_target);
}

void FillAreaBuilder::GetSelectedObjects(int* count, tag_t** tags) const {
  *count = 0;
  *tags = nullptr;
  AppendSelectedTag(count, tags, selectedTag(m_target));
  DIEDES_GENERIC_BODY_PARMS::DieDesBuilderGetSectionObjects(m_boundary, count, tags);
  if (m_baseOrientation != nullptr) m_baseOrientation->GetSelectedObjects(count, tags);
  AppendSelectedTag(count, tags, selectedTag(m_upperLimitSheet));
  if (m_upperLimitPlane != nullptr) m_upperLimitPlane->GetSelectedObjects(count, tags);
  AppendSelectedTag(count, tags, selectedTag(m_lowerLimitSheet));
}

// ---- reaction, commit ---------------------------------------------------------------

void FillAreaBuilder::Notify(OM::Object* changed) {
  ReactToTargetChange(changed, m_target, m_targetData, m_baseOrientation, nullptr, kSource, kNotifyLine);
}

int FillAreaBuilder::commit_feature(FEATURE_RECORD** frec) {
  if (m_targetData != nullptr) m_targetData->SetFrecPointer(frec);
  // An edited record's parameters are taken as they are; writing them checks their class.
  return CommitWithProtocol(
      frec, nullptr, []() -> DIEDES_GENERIC_BODY_PARMS* { return DieDes::FillAreaFactory::Create(); }, m_target,
      true);
}

// ---- preview ------------------------------------------------------------------------

int FillAreaBuilder::CreateBodies(int* count, int** bodies) const {
  Stamvik::UndoMarkScope mark = PreviewUndoMarkScope(kMarkName);
  int status = 0;
  int profileCount = 0;
  Stamvik::HostBlock<tag_t> profiles;
  Stamvik::BodyArray tools;
  Stamvik::HostBlock<int> operations;
  int copy = 0;
  Stamvik::BodyArray out;
  double origin[3] = {0, 0, 0};
  double normal[3] = {0, 0, 1};

  // The extrusions from the base up to the top point.
  try {
    tag_t plane = 0;
    double matrix[9];
    if (m_baseOrientation != nullptr && m_baseOrientation->GetPlaneDefinition(&plane, origin, matrix)) {
      Math::NormalOfMatrix(matrix, normal);
    } else if (m_targetData != nullptr && m_targetData->GetOrientationFlag()) {
      m_targetData->GetBaseOrigin(origin);
      m_targetData->GetBaseNormal(normal);
    } else {
      status = kBadBaseOrientation;
    }
    if (status == 0) {
      double upperOrigin[3] = {0, 0, 0};
      double upperMatrix[9];
      tag_t upperPlane = 0;
      const bool hasUpperPlane =
          m_upperLimitPlane != nullptr && m_upperLimitPlane->GetPlaneDefinition(&upperPlane, upperOrigin, upperMatrix);
      const double step = Kernel::ScaleFactors().factors[1] * 0.001;
      double start[3];
      Math::AddScaled(origin, -step, normal, start);
      double top[3] = {0, 0, 0};
      status = DieDes::FillArea::GetTopPointStatic(GetType(), selectedTag(m_target), m_targetData, m_upperLimitType,
                                                   hasUpperPlane, upperOrigin, selectedTag(m_upperLimitSheet),
                                                   m_distanceTolerance, step, origin, normal, top);
      const double height = status == 0 ? std::fabs(DIEDES_UTILS__dist_to_plane(top, start, normal)) : 0.0;
      if (status == 0)
        status = DieDes::FillArea::GetClosedProfilesStatic(OM::OM_ask_object_tag(m_boundary), m_distanceTolerance,
                                                           &profileCount, profiles.out());
      if (status == 0) {
        const int kind = m_targetData != nullptr && m_targetData->GetExtrusionKindFlag()
                             ? m_targetData->GetExtrusionKind()
                             : kDefaultExtrusionKind;
        status = DieDes::FillArea::CreateBasicExtrusionsStatic(nullptr, nullptr, kExtrusionFeature, kind, profileCount,
                                                               profiles.get(), start, normal, origin, height,
                                                               m_distanceTolerance, tools.count(), tools.bodies());
      }
    }
  } catch (const std::exception& e) {
    status = Error::HandleAsBuilder(e, kSource, kPreviewLine);
  }

  // The profiles were made for the preview only: whatever happened, they go.
  try {
    for (int i = 0; i < profileCount; ++i) {
      if (profiles[i] == 0) continue;
      RM_set_sleep_state(profiles[i], 1);
      UPDATE_log_entity_to_delete(profiles[i]);
    }
  } catch (const std::exception& e) {
    const int rc = Error::HandleAsBuilder(e, kSource, kPreviewLine);
    if (status == 0) status = rc;
  }
  profiles.reset();

  // Trimmed at both limits, then combined with a copy of the target.
  try {
    if (status == 0) status = TrimToObject(GetType(), 0, origin, normal, tools.size(), tools.data());
    if (status == 0) status = TrimToObject(GetType(), 1, origin, normal, tools.size(), tools.data());
    const tag_t target = selectedTag(m_target);
    const int kernelTarget = target != 0 ? ES_solid_ask_solvane_tag(target) : 0;
    int bodyType = 0;
    if (kernelTarget != 0) {
      DieDesUtilsSolvaneCopy(false, kernelTarget, &copy);
      if (copy != 0) ZV_BODY_ask_type(copy, &bodyType);
    }
    if (copy != 0 && bodyType == ZV_BODY_type_solid_c) {
      const int operation = GetType() == JA_FILL_AREA_BUILDER_Types_ScrapArea ? ZV_boolean_subtract_c
                                                                              : ZV_boolean_unite_c;
      if (tools.size() > 0) {
        operations.reset(static_cast<int*>(SM_calloc(static_cast<std::size_t>(tools.size()), sizeof(int))));
        if (!operations) ERROR_raise(kSource, kPreviewLine, Error::kNoMemory, "no memory for operations");
        for (int i = 0; i < tools.size(); ++i) operations[i] = operation;
      }
      int result = 0;
      DIEDES_UTILS_boolean_bodies(copy, tools.size(), tools.data(), operations.get(), operation, nullptr,
                                  m_distanceTolerance, kBooleanText, &result);
      *out.bodies() = static_cast<int*>(SM_calloc(1, sizeof(int)));
      if (out.data() == nullptr) ERROR_raise(kSource, kPreviewLine, Error::kNoMemory, "no memory for a body");
      out.data()[0] = copy;
      *out.count() = 1;
      copy = 0;  // held by the result now: deleted through it, never twice
    } else if (tools.size() > 0) {
      tools.HandOver(out);
    }
  } catch (const std::exception& e) {
    const int rc = Error::HandleAsBuilder(e, kSource, kPreviewLine);
    if (status == 0) status = rc;
  }

  // A copy not made the result is nobody's but this preview's.
  DieDesUtilsDeleteBody(copy);
  tools.Delete();
  operations.reset();

  if (status != 0) {
    // Nothing is handed over from a failed preview; the model goes back to the mark.
    out.Delete();
  } else {
    out.HandOver(count, bodies);
    mark.Commit();
  }
  return status;
}

int FillAreaBuilder::TrimToObject(int type, int which, const double origin[3], const double normal[3],
                                  int toolCount, int* tools) const {
  double point[3] = {origin[0], origin[1], origin[2]};
  double direction[3] = {normal[0], normal[1], normal[2]};
  double offset = 0.0;
  bool usePlane = false;
  int side = 1;
  tag_t trimObject = 0;  // a model object
  int trimBody = 0;      // a kernel body given directly
  int code = 0;
  const tag_t upperSheet = selectedTag(m_upperLimitSheet);
  // 0 - c, not -c: a zero stays a plain zero.
  const auto reverse = [&direction] {
    for (double& c : direction) c = 0.0 - c;
  };

  if (which == 1) {
    code = kUpperTrim;
    bool fromTarget = false;
    tag_t plane = 0;
    double planeOrigin[3];
    double planeMatrix[9];
    if (m_upperLimitPlane != nullptr && m_upperLimitPlane->GetPlaneDefinition(&plane, planeOrigin, planeMatrix)) {
      Math::Copy(planeOrigin, point);
      Math::NormalOfMatrix(planeMatrix, direction);
      if (Math::Dot(direction, normal) > kMargin) reverse();
      usePlane = true;
    } else if (type == JA_FILL_AREA_BUILDER_Types_BaseFlange && m_targetData != nullptr &&
               m_targetData->GetUpperOffsetFlag()) {
      const double d = m_targetData->GetUpperOffset();
      for (int i = 0; i < 3; ++i) {
        point[i] = origin[i] + d * normal[i];
        direction[i] = 0.0 - normal[i];
      }
      usePlane = true;
      fromTarget = true;
    }
    side = m_upperLimitType;
    trimObject = upperSheet;
    if (fromTarget && upperSheet == 0) side = 1;
    if (type == JA_FILL_AREA_BUILDER_Types_ProductContact && upperSheet == 0 && m_targetData != nullptr &&
        m_targetData->GetTrimmingSheetFlag())
      trimObject = m_targetData->GetTrimmingSheet();
    if (side == JA_FILL_AREA_BUILDER_UpperLimitTypes_Sheet && Math::Dot(direction, normal) > kMargin) reverse();
  } else {
    code = kLowerTrim;
    if (type == JA_FILL_AREA_BUILDER_Types_ProductContact || type == JA_FILL_AREA_BUILDER_Types_UserDefined)
      offset = Stamvik::ExpressionValue(m_lowerLimitOffset);
    bool found = false;
    if (tag_t lower = selectedTag(m_lowerLimitSheet); lower != 0) {
      trimObject = lower;
      found = true;
    } else if (type == JA_FILL_AREA_BUILDER_Types_ProductContact && m_targetData != nullptr) {
      if (!m_targetData->GetProductContactFlag()) {
        const double tolerances[2] = {m_distanceTolerance, m_angleTolerance};
        if (m_targetData->CreateProductContactSheet(normal, tolerances) == 0)
          trimBody = m_targetData->GetNewProductContactSheet();
      } else {
        trimObject = m_targetData->GetProductContactSheet();
      }
      found = trimBody != 0 || trimObject != 0;
    }
    if (found) {
      side = 0;
    } else if (std::fabs(offset) > m_distanceTolerance &&
               m_upperLimitType == JA_FILL_AREA_BUILDER_UpperLimitTypes_Sheet) {
      side = 1;
      if (upperSheet != 0) {
        trimObject = upperSheet;
        side = 0;
      } else if (type != JA_FILL_AREA_BUILDER_Types_UserDefined && m_targetData != nullptr &&
                 m_targetData->GetTrimmingSheetFlag()) {
        trimObject = m_targetData->GetTrimmingSheet();
        side = 0;
      }
    } else {
      side = 1;
    }
  }

  if (trimBody == 0 && trimObject != 0) trimBody = ES_solid_ask_solvane_tag(trimObject);
  return DieDes::FillArea::TrimToObjectStatic(nullptr, code, normal, side, trimBody, offset, usePlane, point,
                                              direction, m_distanceTolerance, toolCount, tools);
}

// ---- fields -----------------------------------------------------------------------

JA_FILL_AREA_BUILDER_Types FillAreaBuilder::GetType() const {
  return static_cast<JA_FILL_AREA_BUILDER_Types>(m_type);
}
void FillAreaBuilder::SetType(JA_FILL_AREA_BUILDER_Types type) {
  OM::LogForWrite(this);
  m_type = type;
}
void FillAreaBuilder::SetUpperLimitType(JA_FILL_AREA_BUILDER_UpperLimitTypes type) {
  OM::LogForWrite(this);
  m_upperLimitType = type;
}
void FillAreaBuilder::SetDistanceTolerance(double tolerance) {
  OM::LogForWrite(this);
  m_distanceTolerance = tolerance;
}
void FillAreaBuilder::SetAngleTolerance(double tolerance) {
  OM::LogForWrite(this);
  m_angleTolerance = tolerance;
}
void FillAreaBuilder::SetLowerLimitOffset(EXP_expression* offset) {
  OM::SetReferencedObject(this, m_lowerLimitOffsetAttId, offset);
}
void FillAreaBuilder::SetBoundary(SC_section* boundary) {
  OM::SetReferencedObject(this, m_boundaryAttId, boundary);
}

}  // namespace KTX::DieDesJA
