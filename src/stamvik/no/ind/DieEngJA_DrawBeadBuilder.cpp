#include "DieEngJA_DrawBeadBuilder.hpp"

#include <string>
#include <vector>

#include "sys/Memory.hpp"

namespace KTX::DieEngJA {

STAMVIK_OM_INSTANCE_SIZE_DEF(DrawBeadBuilder)
STAMVIK_OM_DEFINE_CLASS(DrawBeadBuilder, "KTX::JAX_FEAT_BUILDER", 0x1000, &GetDrawBeadBuilderInstanceSize,
                        STAMVIK_DRAW_BEAD_BUILDER_ATTRIBUTES)

DrawBeadBuilder* DrawBeadBuilderFactory::Create(CM_part* part, FEATURE_RECORD* frec) {
  return Frame::CreateAndInit<DrawBeadBuilder>(DrawBeadBuilderClassId, [&](DrawBeadBuilder* made) {
    made->InitCreate(part, frec);
  });
}

void DrawBeadBuilder::InitCreate(CM_part* part, FEATURE_RECORD* frec) { init_object(part, frec); }

char* DrawBeadBuilder::ask_journal_class_name() const { return SM_string_copy("Die.DrawBeadBuilder"); }

void DrawBeadBuilder::destroy() { cascade_destroy(); }

void DrawBeadBuilder::cascade_destroy() {
  implement_destroy();
  JAX_FEAT_BUILDER::cascade_destroy();
}

void DrawBeadBuilder::implement_destroy() {
  // Releasing the segments, centerline and path curve comes with the segmentation.
}

int DrawBeadBuilder::SetDefaultDrawDirection() {
  // Without a direction sub-builder there is nothing to point; the -Z setting
  // itself comes with the direction's own work-coordinate operations.
  return 0;
}

int DrawBeadBuilder::CreateSegmentsFromCenterlineCurves() {
  // The split itself comes with the segmentation; until then there is nothing to split.
  return 0;
}

// ---- plain fields -------------------------------------------------------------

#define STAMVIK_PLAIN_SETTER(Setter, Type, field) \
  void DrawBeadBuilder::Setter(Type value) {      \
    OM::LogForWrite(this);                        \
    field = value;                                \
  }
STAMVIK_PLAIN_SETTER(SetMaleBeadPosition, JA_DRAW_BEAD_BUILDER_MaleBeadPositionTypes, m_maleBeadPosition)
STAMVIK_PLAIN_SETTER(SetReverseMetalThickness, bool, m_reverseMetalThickness)
STAMVIK_PLAIN_SETTER(SetCenterlineProjection, JA_DRAW_BEAD_BUILDER_ProjectionDirectionTypes, m_centerlineProjection)
STAMVIK_PLAIN_SETTER(SetReferenceDirection, bool, m_referenceDirection)
STAMVIK_PLAIN_SETTER(SetTaperBead, bool, m_taperBead)
STAMVIK_PLAIN_SETTER(SetBaseOrientation, JA_DRAW_BEAD_BUILDER_OrientationTypes, m_baseOrientation)
STAMVIK_PLAIN_SETTER(SetTransitionDefinition, JA_DRAW_BEAD_BUILDER_TransitionDefinitionTypes, m_transitionDefinition)
STAMVIK_PLAIN_SETTER(SetFemaleDepthType, JA_DRAW_BEAD_BUILDER_FemaleDepthTypes, m_femaleDepthType)
STAMVIK_PLAIN_SETTER(SetFemaleWidthType, JA_DRAW_BEAD_BUILDER_FemaleWidthTypes, m_femaleWidthType)
STAMVIK_PLAIN_SETTER(SetBuildStartTaper, bool, m_buildStartTaper)
STAMVIK_PLAIN_SETTER(SetBuildEndTaper, bool, m_buildEndTaper)
STAMVIK_PLAIN_SETTER(SetOutput, JA_DRAW_BEAD_BUILDER_OutputTypes, m_output)
STAMVIK_PLAIN_SETTER(SetMachineOffset, bool, m_machineOffset)
STAMVIK_PLAIN_SETTER(SetGenerateHeightCurve, bool, m_generateHeightCurve)
STAMVIK_PLAIN_SETTER(SetOrientSectionToDraw, JA_DRAW_BEAD_BUILDER_OrientSectionToDrawTypes, m_orientSectionToDraw)
STAMVIK_PLAIN_SETTER(SetDistanceTolerance, double, m_distanceTolerance)
STAMVIK_PLAIN_SETTER(SetAngleTolerance, double, m_angleTolerance)
STAMVIK_PLAIN_SETTER(SetChangesPending, bool, m_changesPending)
STAMVIK_PLAIN_SETTER(SetDeleteSegmentsDuringClean, bool, m_deleteSegmentsDuringClean)
#undef STAMVIK_PLAIN_SETTER

// ---- references -----------------------------------------------------------------

void DrawBeadBuilder::SetPointTag(tag_t point) { OM::SetReferencedObject(this, m_pointTagAttId, point); }
void DrawBeadBuilder::SetPlacementFace(SC_collector* face) {
  OM::SetReferencedObject(this, m_placementFaceAttId, face);
}
void DrawBeadBuilder::SetCenterline(SC_section* centerline) {
  OM::SetReferencedObject(this, m_centerlineAttId, centerline);
}
void DrawBeadBuilder::SetMetalThickness(EXP_expression* thickness) {
  OM::SetReferencedObject(this, m_metalThicknessAttId, thickness);
}
void DrawBeadBuilder::SetClearance(EXP_expression* clearance) {
  OM::SetReferencedObject(this, m_clearanceAttId, clearance);
}
void DrawBeadBuilder::SetFemaleDepthValue(EXP_expression* depth) {
  OM::SetReferencedObject(this, m_femaleDepthValueAttId, depth);
}
void DrawBeadBuilder::SetFemaleWidthValue(EXP_expression* width) {
  OM::SetReferencedObject(this, m_femaleWidthValueAttId, width);
}

// ---- segment parameters ------------------------------------------------------------

int DrawBeadBuilder::GetSegmentParametersLength() const {
  return m_segmentParameters == nullptr ? 0 : m_segmentParameters->Length();
}

double DrawBeadBuilder::GetSegmentParameter(int i) const {
  if (m_segmentParameters == nullptr) OM::ThrowIndexOutOfRange(i, 0, -1);
  return m_segmentParameters->At(i);
}

void DrawBeadBuilder::SetSegmentParameter(int i, double value) {
  const int count = GetSegmentParametersLength();
  if (static_cast<unsigned>(i) > static_cast<unsigned>(count)) OM::ThrowIndexOutOfRange(i, 0, -1);
  if (i == count) SetSegmentParametersLength(count + 1);
  m_segmentParameters->Set(i, value);
}

void DrawBeadBuilder::SetSegmentParametersLength(int length) {
  OM::OM_vset_array_length(this, m_segmentParametersAttId, length, 0);
}

// ---- details ----------------------------------------------------------------------

int DrawBeadBuilder::GetDetailsLength() const { return m_details == nullptr ? 0 : m_details->Length(); }

const char* DrawBeadBuilder::GetDetail(int i) const {
  if (m_details == nullptr) return "";
  return m_details->At(i).c_str();
}

void DrawBeadBuilder::SetDetail(int i, const char* detail) {
  const int count = GetDetailsLength();
  if (static_cast<unsigned>(i) > static_cast<unsigned>(count)) OM::ThrowIndexOutOfRange(i, 0, -1);
  // The text may be one of the stored details, which growing can move.
  const std::string copy = detail != nullptr ? detail : "";
  if (i == count) SetDetailsLength(count + 1);
  m_details->Set(i, copy);
}

void DrawBeadBuilder::SetDetailsLength(int length) { OM::OM_vset_array_length(this, m_detailsAttId, length, 0); }

int DrawBeadBuilder::GetMoreDetailsInfo(char*** strings) const {
  const int count = GetDetailsLength();
  if (strings == nullptr) return count;
  *strings = nullptr;
  if (count == 0) return 0;
  // One slot more than the count, left null, so that the array can be released without it.
  auto** copies = static_cast<char**>(SM_calloc(static_cast<std::size_t>(count) + 1, sizeof(char*)));
  for (int i = 0; i < count; ++i) copies[i] = SM_string_copy(m_details->At(i).c_str());
  *strings = copies;
  return count;
}

void DrawBeadBuilder::FreeDetails(int* count, char*** strings) {
  if (strings != nullptr && *strings != nullptr) {
    char** array = *strings;
    if (count != nullptr) {
      for (int i = 0; i < *count; ++i) SM_free(array[i]);
    } else {
      for (int i = 0; array[i] != nullptr; ++i) SM_free(array[i]);
    }
    SM_free(array);
    *strings = nullptr;
  }
  if (count != nullptr) *count = 0;
}

void DrawBeadBuilder::SetMoreDetailsInfo(int count, const char** strings) {
  // Copied first: the strings may be the builder's own details.
  std::vector<std::string> copies;
  for (int i = 0; i < count && strings != nullptr; ++i) copies.emplace_back(strings[i] != nullptr ? strings[i] : "");
  SetDetailsLength(0);
  if (copies.empty()) return;
  SetDetailsLength(static_cast<int>(copies.size()));
  for (int i = 0; i < static_cast<int>(copies.size()); ++i) m_details->Set(i, copies[static_cast<std::size_t>(i)]);
}

}  // namespace KTX::DieEngJA
