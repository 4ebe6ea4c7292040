#include "jax_features_tire_envelope_builder.hpp"

#include <memory>
#include <string>

#include "Support.hpp"
#include "VDJA_TireEnvelopeSettings.hpp"
#include "assy/Assembly.hpp"
#include "geom/Sketch.hpp"
#include "om/ObjectManager.hpp"
#include "om/ObjectNames.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "upd/Update.hpp"
#include "vd/KnowledgeRule.hpp"
#include "vd/Motion.hpp"

using namespace KTX;
using namespace KTX::VDJA;

namespace {

constexpr const char* kSource = "jax_features_tire_envelope_builder";
using KTX::Messages::kTooManyOffsets;
using KTX::Messages::kTooManySections;

using Chars = Stamvik::HostBlock<char>;

// The file name of a part given by tag; a tag of no live part raises the
// deleted-tag or bad-object error before anything changes.
Chars FileNameOfPart(tag_t partObject, int line) {
  OM::OM_check_tag_class(kSource, line, partObject, PART_part::ThisClassId);
  return Chars(PART_ask_filename_of_part(OM::TagToObject<PART_part>(partObject)));
}

}  // namespace

int JAX_TIRE_ENVELOPE_BUILDER_GetSessionNotes(TireEnvelopeBuilder* builder, int* count, TEXT_s*** notes) {
  Frame::HandOutTexts(builder->GetNumSessionNotes(), [&](int i) { return builder->GetNthValueInSessionNotes(i); },
                      count, notes);
  return 0;
}

int JAX_TIRE_ENVELOPE_BUILDER_SetSessionNotes(TireEnvelopeBuilder* builder, int count, const TEXT_s** notes) {
  Frame::CheckArrayIn(count, notes);
  builder->SetNumSessionNotes(count);
  for (int i = 0; i < count; ++i) builder->SetNthValueInSessionNotes(i, UString(TEXT_ask_utf8(notes[i])));
  return 0;
}

int JAX_TIRE_ENVELOPE_BUILDER_SwitchDrivers(tag_t builder) {
  // Tag 0, or a tag of no tire-envelope builder, has no builder to switch:
  // refused whatever the checking level, nothing called.
  OM::OM_check_tag_class(kSource, 65, builder, TireEnvelopeBuilder::ThisClassId);
  return OM::TagToObject<TireEnvelopeBuilder>(builder)->SwitchDriversButton();
}

int JAX_TIRE_ENVELOPE_BUILDER_SetVehicleCoordinateSystem(TireEnvelopeBuilder*, int type, const JAM_point3d_s* origin,
                                                         const JAM_matrix3x3_s* matrix) {
  tag_t rules = 0;
  KBL_init_part(CONTEXT_ask_work_part(), &rules);
  const double o[3] = {origin->x, origin->y, origin->z};
  const double m[9] = {matrix->xx, matrix->xy, matrix->xz, matrix->yx, matrix->yy,
                       matrix->yz, matrix->zx, matrix->zy, matrix->zz};
  VD_update_csys(type, o, m);
  return 0;
}

int JAX_TIRE_ENVELOPE_BUILDER_AddMasterPart(TireEnvelopeBuilder* builder, const char* partName) {
  return builder->AddMasterPart(partName);
}

int JAX_TIRE_ENVELOPE_BUILDER_AddMasterPart(TireEnvelopeBuilder* builder, tag_t partObject) {
  const Chars name = FileNameOfPart(partObject, 85);
  return builder->AddMasterPart(name.get());
}

int JAX_TIRE_ENVELOPE_BUILDER_SetTireProfileSketch(TireEnvelopeBuilder* builder, const char* partName,
                                                   const char* sketchName) {
  builder->SetSketchPartName(partName);
  builder->SetSketchName(sketchName);
  return 0;
}

int JAX_TIRE_ENVELOPE_BUILDER_SetTireProfileSketch(TireEnvelopeBuilder* builder, tag_t sketchObject) {
  // Everything is read before the builder changes: a tag of no sketch changes nothing.
  double origin[3], matrix[9];
  if (sketchObject == 0 || OM::OM_checked_object_of_tag(sketchObject, 0) == nullptr ||
      ES_ask_sketch_placement(sketchObject, origin, matrix) != 0)
    ERROR_raise(kSource, 101, Error::kBadObject, "tag %u is no sketch", sketchObject);
  const Chars partName(PART_ask_filename_of_part(PART_ask_part_of_object(sketchObject)));
  const TemporaryNameString sketchName(OM::UserObjectName::Get(sketchObject));
  builder->SetSketchPartName(partName ? partName.get() : "");
  builder->SetSketchName(sketchName.c_str());
  return 0;
}

int JAX_TIRE_ENVELOPE_BUILDER_CreateLinkedProfiles(TireEnvelopeBuilder* builder) {
  return builder->CreateLinkedProfiles();
}
int JAX_TIRE_ENVELOPE_BUILDER_CalculateProfilePoints(TireEnvelopeBuilder* builder) {
  return builder->CalculateProfilePoints();
}
int JAX_TIRE_ENVELOPE_BUILDER_ProcessFromSpindleLines(TireEnvelopeBuilder* builder) {
  return builder->ProcessFromSpindelLines();
}

int JAX_TIRE_ENVELOPE_BUILDER_ReadSuspensionTemplate(TireEnvelopeBuilder* builder, const char* fileName,
                                                     char** missPointName) {
  return builder->LoadTemplatePointFile(fileName, missPointName);
}

int JAX_TIRE_ENVELOPE_BUILDER_SetSuspentionTemplatePoint(TireEnvelopeBuilder* builder, int templateType,
                                                         int jointIndex, const JAM_point3d_s* pnt) {
  return builder->UpdateTemplatePoint(static_cast<JA_TIRE_ENVELOPE_BUILDER_SuspensionTemplateType>(templateType),
                                      jointIndex, Math::Point3{pnt->x, pnt->y, pnt->z});
}

int JAX_TIRE_ENVELOPE_BUILDER_BuildMotionTemplate(TireEnvelopeBuilder* builder) {
  JAUTL_UPDATE__ensure_update_protected("JAX_TIRE_ENVELOPE_BUILDER_BuildMotionTemplate");
  return builder->BuildMotionTemplate();
}
int JAX_TIRE_ENVELOPE_BUILDER_RunMotionArticulation(TireEnvelopeBuilder* builder) {
  JAUTL_UPDATE__ensure_update_protected("JAX_TIRE_ENVELOPE_BUILDER_RunMotionArticulation");
  return builder->RunMotionArticulation();
}
int JAX_TIRE_ENVELOPE_BUILDER_UpdateTireBodyFeature(TireEnvelopeBuilder* builder) {
  JAUTL_UPDATE__ensure_update_protected("JAX_TIRE_ENVELOPE_BUILDER_UpdateTireBodyFeature");
  return builder->ProcessTireBodyPart();
}
int JAX_TIRE_ENVELOPE_BUILDER_ReassembleTireBodyComponent(TireEnvelopeBuilder* builder) {
  return builder->ReassemTireBodyComponent();
}
int JAX_TIRE_ENVELOPE_BUILDER_PerformClearanceAnalysis(TireEnvelopeBuilder* builder) {
  JAUTL_UPDATE__ensure_update_protected("JAX_TIRE_ENVELOPE_BUILDER_PerformClearanceAnalysis");
  return builder->PerformCleranceAnalysis();
}

int JAX_TIRE_ENVELOPE_BUILDER_SetOffsetSections(TireEnvelopeBuilder* builder, int count, const double* sectionAngle) {
  Frame::CheckArrayIn(count, sectionAngle);
  if (count > Tire_s::kMaxSections)
    ERROR_raise(kSource, 153, kTooManySections, "The number of sections exceeds the allowable number %d", Tire_s::kMaxSections);
  Tire_s* area = builder->WorkArea();
  area->sectionCount = count;
  for (int i = 0; i < count; ++i) area->sectionAngles[i] = sectionAngle[i];
  return 0;
}

int JAX_TIRE_ENVELOPE_BUILDER_SetOffsetValues(TireEnvelopeBuilder* builder, int sectionIndex, int count,
                                              const double* offsetValues) {
  if (sectionIndex < 0) OM::ThrowIndexOutOfRange(sectionIndex, 0, Tire_s::kMaxSections - 1);
  Frame::CheckArrayIn(count, offsetValues);
  Tire_s* area = builder->WorkArea();
  if (sectionIndex >= Tire_s::kMaxSections)
    ERROR_raise(kSource, 167, kTooManySections, "The index of section exceeds the allowable number %d.", Tire_s::kMaxSections);
  if (sectionIndex >= area->sectionCount)
    ERROR_raise(kSource, 170, kTooManySections, "The index of section exceeds the specified number %d.", area->sectionCount);
  if (count > Tire_s::kMaxOffsets)
    ERROR_raise(kSource, 173, kTooManyOffsets, "The number of offsets exceeds the allowable number %d.", Tire_s::kMaxOffsets);
  // An offset no envelope can be grown by is refused here, where it is given.
  const EnvelopeOffsetReach reach = EnvelopeOffsetReachOfWorkPart();
  for (int i = 0; i < count; ++i)
    CheckEnvelopeOffset(reach,
                        "value " + std::to_string(i) + " of section " + std::to_string(sectionIndex) +
                            " (SetOffsetValues)",
                        offsetValues[i]);
  area->sectionOffsetCounts[sectionIndex] = count;
  for (int i = 0; i < count; ++i) area->sectionOffsets[sectionIndex][i] = offsetValues[i];
  return 0;
}

int JAX_TIRE_ENVELOPE_BUILDER_SetClearanceValues(TireEnvelopeBuilder* builder, int count,
                                                 const double* clearanceValues) {
  Frame::CheckArrayIn(count, clearanceValues);
  builder->SetCompOffsetLength(count);
  for (int i = 0; i < count; ++i) builder->SetCompOffset(i, clearanceValues[i]);
  return 0;
}

int JAX_TIRE_ENVELOPE_BUILDER_set_SpindleFileName(TireEnvelopeBuilder* builder, const char* name) {
  builder->SetSpindleFileName(name);
  if (builder->GetSpindleFileLocation() != InNative)
    builder->SetSpindleFileNameVre(name);
  else
    builder->SetSpindleFileNameNative(name);
  builder->SetMotionFile(name);
  return 0;
}

int JAX_TIRE_ENVELOPE_BUILDER_set_TireBodyOutputFileName(TireEnvelopeBuilder* builder, const char* name) {
  builder->SetTireBodyOutputFileName(name);
  builder->SetIsNewBodyFile(true);
  return 0;
}

int JAX_TIRE_ENVELOPE_BUILDER_set_EnvelopeOffset(TireEnvelopeBuilder* builder,
                                                 JA_TIRE_ENVELOPE_BUILDER_EnvelopeOffsetMethod value) {
  SetEnvelopeOffsetMethod(builder, value);
  return 0;
}

int JAX_TIRE_ENVELOPE_BUILDER_SetDriverJoints(TireEnvelopeBuilder* builder, tag_t steerJoint, tag_t jounceJoint) {
  SetDriverJoints(builder, steerJoint, jounceJoint);
  return 0;
}
