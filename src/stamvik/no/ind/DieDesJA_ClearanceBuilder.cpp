#include "DieDesJA_ClearanceBuilder.hpp"

#include <cmath>
#include <exception>

#include "DieDesJA_ParameterEntities.hpp"
#include "DieDesJA_TemporaryFeaturePreview.hpp"
#include "HeldSelections.hpp"
#include "InputChecks.hpp"
#include "Messages.hpp"
#include "Support.hpp"
#include "afl/DieAttributes.hpp"
#include "afl/Parms.hpp"
#include "exp/Expression.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "sys/Settings.hpp"
#include "sys/Text.hpp"
#include "upd/Update.hpp"

namespace KTX::DieDesJA {

STAMVIK_OM_INSTANCE_SIZE_DEF(ClearanceBuilder)
STAMVIK_OM_DEFINE_CLASS(ClearanceBuilder, "KTX::DieDesJA::GenericBodyBuilder", 0x1000,
                        &GetClearanceBuilderInstanceSize, STAMVIK_CLEARANCE_BUILDER_ATTRIBUTES)

namespace {

constexpr const char* kSource = "DieDesJA_ClearanceBuilder";
constexpr double kMargin = 1e-10;
constexpr int kEntities = 6;

using Messages::kAngleToleranceTooSmall;
using Messages::kClearanceOffsetTooSmall;
using Messages::kDistanceToleranceTooSmall;
using Messages::kOpenSectionLoops;
using Messages::kWrongParms;

// Where an error of the reaction to the target is reported.
constexpr int kNotifyLine = 809;

// Where the preview raises a failed validation and reports its errors.
constexpr TemporaryFeaturePreviewNames kPreview{"Clearance create bodies", " Clearance: Performing boolean operation",
                                                kSource, 425, 494};

tag_t selectedTag(const SELECT_OBJECT* selection) {
  return selection != nullptr ? selection->ask_selected_tag() : 0;
}

void appendTag(int* count, tag_t** tags, tag_t tag) {
  if (tag == 0) return;
  const auto n = static_cast<std::size_t>(*count);
  auto* grown = static_cast<tag_t*>(*tags == nullptr ? SM_calloc(1, sizeof(tag_t))
                                                     : SM_crealloc(*tags, (n + 1) * sizeof(tag_t)));
  if (grown == nullptr) ERROR_raise(kSource, 53, Error::kNoMemory, "no memory for %d tags", *count + 1);
  grown[n] = tag;
  *tags = grown;
  ++*count;
}

DIEDES_GENERIC_BODY_PARMS* clearanceParmsOfRecord(FEATURE_RECORD* frec) {
  return dynamic_cast<DieDes::Clearance*>(FREC_ask_parms_of_frec(frec));
}

DIEDES_GENERIC_BODY_PARMS* newClearanceParms() { return DieDes::ClearanceFactory::Create(); }

}  // namespace

ClearanceBuilder* ClearanceBuilderFactory::Create(CM_part* part, FEATURE_RECORD* frec) {
  return Frame::CreateAndInit<ClearanceBuilder>(ClearanceBuilderClassId, [&](ClearanceBuilder* made) {
    made->InitCreate(part, frec);
  });
}

void ClearanceBuilder::InitCreate(CM_part* part, FEATURE_RECORD* frec) {
  init_object(part, frec);
  SetAlgorithmVersion(0);

  PART_part* owningPart = ask_owning_part();
  OM::OM_set_pointer(this, m_targetDataAttId, DieDes::ClearanceTargetFactory::Create(owningPart));
  OM::OM_set_pointer(this, m_targetAttId, SELECT_OBJECTFactory::Create(owningPart));
  OM::OM_set_pointer(this, m_geometryAttId, SELECT_OBJECT_listFactory::Create(owningPart, false));

  DieDes::DiePlaneBuilder* orientation = DieDes::DiePlaneBuilderFactory::Create(owningPart, true, true, false, true, true);
  orientation->SetApplScopePlane(3);
  OM::OM_set_pointer(this, m_orientationAttId, orientation);
  DieDes::DieDirectionBuilder* direction =
      DieDes::DieDirectionBuilderFactory::Create(owningPart, true, false, true, true, true, true);
  direction->SetApplScopeDirection(3);
  OM::OM_set_pointer(this, m_clearanceDirectionAttId, direction);
  OM::OM_set_pointer(this, m_attributesAttId, DieDes::DieAttributesBuilderFactory::Create(owningPart, true, true, false));

  if (frec == nullptr) {
    // The builder owns what it makes; once committed, the feature's
    // parameters hold them and they outlive the builder.
    OM::OM_set_pointer(this, m_sectionAttId, NewSection());
    OM::OM_set_pointer(this, m_distanceAttId, NewZeroLength());
    OM::OM_set_pointer(this, m_offsetAttId, NewZeroLength());
    SetDistanceTolerance(TOLER_ask_distance_tol());
    SetAngleTolerance(TOLER_ask_angular_tol());
  } else {
    ConvertFrecToBuilderData(frec);
  }

  m_target->SetParentHasObservers(true);
}

char* ClearanceBuilder::ask_journal_class_name() const { return SM_string_copy("Die.ClearanceBuilder"); }

int ClearanceBuilder::validate_nothrow() {
  if (int rc = Stamvik::CheckInputs(this); rc != 0) return rc;
  int first = 0, second = 0, third = 0;
  Stamvik::HostBlock<tag_t> firstItems, secondItems, thirdItems;
  if (m_section != nullptr)
    m_section->ask_loop_summary(&first, firstItems.out(), &second, secondItems.out(), &third, thirdItems.out());
  if (second > 0) return kOpenSectionLoops;
  if (selectedTag(m_target) == 0) {
    const double offset = Stamvik::ExpressionValue(m_offset);
    if (!(std::fabs(offset) > m_distanceTolerance)) return kClearanceOffsetTooSmall;
  }
  if (m_distanceTolerance < kMargin) return kDistanceToleranceTooSmall;
  if (m_angleTolerance < kMargin) return kAngleToleranceTooSmall;
  // A clearance of type Section is shaped by its section alone.
  if (m_clearanceGeometryType == JA_CLEARANCE_BUILDER_ClearanceGeometryTypes_Section &&
      (m_section == nullptr || m_section->is_empty()))
    return Messages::kClearanceNoSection;
  return 0;
}

// ---- parameters -------------------------------------------------------------------

int ClearanceBuilder::ToParms(DIEDES_GENERIC_BODY_PARMS* parms) {
  if (dynamic_cast<DieDes::Clearance*>(parms) == nullptr) return kWrongParms;
  if (int rc = WriteSectionEntity(parms, 2, 0, m_section); rc != 0) return rc;
  const int types[2] = {m_type, m_clearanceGeometryType};
  if (int rc = WriteIntsEntity(parms, 0, 0, 2, types); rc != 0) return rc;
  if (int rc = WriteSelectionListEntity(parms, 1, m_geometry); rc != 0) return rc;
  if (int rc = WritePlaneEntity(parms, 3, m_orientation); rc != 0) return rc;
  if (int rc = WriteDirectionEntity(parms, 4, m_clearanceDirection); rc != 0) return rc;
  EXP_expression* const expressions[2] = {m_distance, m_offset};
  if (int rc = WriteExpressionsEntity(parms, 5, 1, 2, expressions); rc != 0) return rc;

  OM::LogForWrite(parms);
  parms->SetDistanceTolerance(m_distanceTolerance);
  parms->SetAngleTolerance(m_angleTolerance);
  return WriteDieAttributes(parms, m_attributes);
}

int ClearanceBuilder::ConvertBuilderDataToFrec(FEATURE_RECORD* frec) {
  auto* parms = FeatureParmsOrRaise<DieDes::Clearance>(frec, kSource, 145);
  OM::LogForWrite(parms);
  parms->SetAlgorithmVersion(GetAlgorithmVersion());
  return ToParms(parms);
}

void ClearanceBuilder::ConvertFrecToBuilderData(FEATURE_RECORD* frec) {
  auto* parms = FeatureParmsOrRaise<DieDes::Clearance>(frec, kSource, 152);

  SetAlgorithmVersion(parms->GetAlgorithmVersion());
  const double distance = parms->GetDistanceTolerance();
  const double angle = parms->GetAngleTolerance();
  SetDistanceTolerance(distance);
  SetAngleTolerance(angle);

  const int entities = EntitiesToUse(parms, kEntities);
  if (entities > 0) {
    SetType(static_cast<JA_CLEARANCE_BUILDER_Types>(parms->AskEntityInt(0, 0)));
    SetClearanceGeometryType(static_cast<JA_CLEARANCE_BUILDER_ClearanceGeometryTypes>(parms->AskEntityInt(0, 1)));
  }
  if (entities > 1) ReadSelectionListEntity(parms, 1, m_geometry);
  if (entities > 2) {
    // The builder's own section goes; one being loaded into a new builder has none.
    if (SC_section* old = m_section; old != nullptr) {
      SetSection(nullptr);
      UPDATE_log_object_to_delete(old);
    }
    int count = 0;
    tag_t* tags = nullptr;
    parms->GetEntity(2)->AskTags(&count, &tags);
    const tag_t first = count >= 1 ? tags[0] : 0;
    SM_free(tags);
    if (first != 0) {
      // The feature's section stays the feature's: the builder works on a
      // copy it owns, which the commit writes into it (HeldSelections.hpp).
      OM::OM_set_pointer(this, m_sectionAttId,
                         Stamvik::CopyOfSection(OM::TagToObject<SC_section>(first),
                                                OM::OM_ask_object_tag(ask_owning_part())));
    } else {
      // The builder's own until a commit writes it into the feature.
      SetSection(
          SC_sectionFactory::object(OM::OM_ask_object_tag(ask_owning_part()), 0.95 * distance, distance, angle));
    }
  }
  if (entities > 3) ReadPlaneEntity(parms, 3, m_orientation);
  if (entities > 4) ReadDirectionEntity(parms, 4, m_clearanceDirection);
  if (entities > 5) {
    ReadExpressionCopy(m_distanceAttId, parms, 5, 0);
    ReadExpressionCopy(m_offsetAttId, parms, 5, 1);
  }
  DieDesJA::ReadDieAttributes(parms, m_attributes);

  ReadTargetBody(parms, m_target);
}

void ClearanceBuilder::GetSelectedObjects(int* count, tag_t** tags) const {
  *count = 0;
  *tags = nullptr;
  appendTag(count, tags, selectedTag(m_target));
  if (m_geometry != nullptr)
    for (int i = 0, n = m_geometry->ask_count(); i < n; ++i) appendTag(count, tags, m_geometry->ask_nth(i));
  DIEDES_GENERIC_BODY_PARMS::DieDesBuilderGetSectionObjects(m_section, count, tags);
  if (m_orientation != nullptr) m_orientation->GetSelectedObjects(count, tags);
  if (m_clearanceDirection != nullptr) m_clearanceDirection->GetSelectedObjects(count, tags);
}

// ---- reaction, commit, preview --------------------------------------------------------

void ClearanceBuilder::Notify(OM::Object* changed) {
  ReactToTargetChange(changed, m_target, m_targetData, m_clearanceDirection, nullptr, kSource, kNotifyLine);
}

int ClearanceBuilder::commit_feature(FEATURE_RECORD** frec) {
  if (m_targetData != nullptr) m_targetData->SetFrecPointer(frec);
  return CommitWithProtocol(frec, &clearanceParmsOfRecord, &newClearanceParms, m_target, true);
}

int ClearanceBuilder::CreateBodies(int* count, int** bodies) const {
  return PreviewThroughTemporaryFeature(kPreview, ClearanceFeatureCalls(), m_target, m_targetData, m_distanceTolerance,
                                        count, bodies);
}

// ---- fields -----------------------------------------------------------------------

void ClearanceBuilder::SetType(JA_CLEARANCE_BUILDER_Types type) {
  OM::LogForWrite(this);
  m_type = type;
}
void ClearanceBuilder::SetClearanceGeometryType(JA_CLEARANCE_BUILDER_ClearanceGeometryTypes type) {
  OM::LogForWrite(this);
  m_clearanceGeometryType = type;
}
void ClearanceBuilder::SetDistanceTolerance(double tolerance) {
  OM::LogForWrite(this);
  m_distanceTolerance = tolerance;
}
void ClearanceBuilder::SetAngleTolerance(double tolerance) {
  OM::LogForWrite(this);
  m_angleTolerance = tolerance;
}
void ClearanceBuilder::SetDistance(EXP_expression* distance) {
  OM::SetReferencedObject(this, m_distanceAttId, distance);
}
void ClearanceBuilder::SetOffset(EXP_expression* offset) { OM::SetReferencedObject(this, m_offsetAttId, offset); }
void ClearanceBuilder::SetSection(SC_section* section) { OM::SetReferencedObject(this, m_sectionAttId, section); }

}  // namespace KTX::DieDesJA
