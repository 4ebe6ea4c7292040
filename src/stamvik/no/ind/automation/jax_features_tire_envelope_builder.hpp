// Method bodies of the tire envelope's scripting class that do more than get
// or set one field.
#pragma once
#include "VDJA_TireEnvelopeBuilder.hpp"
#include "jam/Jam.hpp"
#include "sys/Text.hpp"

// Sets the offset method; only offsets read from a file use the offset file.
STAMVIK_API int JAX_TIRE_ENVELOPE_BUILDER_set_EnvelopeOffset(
    KTX::VDJA::TireEnvelopeBuilder* builder, KTX::VDJA::JA_TIRE_ENVELOPE_BUILDER_EnvelopeOffsetMethod value);

// Records the steering joint (first) and the jounce joint by handle and name.
// A tag that is no joint raises the motion library's status, changing nothing.
STAMVIK_API int JAX_TIRE_ENVELOPE_BUILDER_SetDriverJoints(KTX::VDJA::TireEnvelopeBuilder* builder,
                                                          KTX::tag_t steerJoint, KTX::tag_t jounceJoint);

// The notes as new host texts in a new array, all the caller's.
STAMVIK_API int JAX_TIRE_ENVELOPE_BUILDER_GetSessionNotes(KTX::VDJA::TireEnvelopeBuilder* builder, int* count,
                                                          TEXT_s*** notes);
// A count below 0, or no array for a count above 0, changes nothing.
STAMVIK_API int JAX_TIRE_ENVELOPE_BUILDER_SetSessionNotes(KTX::VDJA::TireEnvelopeBuilder* builder, int count,
                                                          const TEXT_s** notes);
// By tag: a tag of no tire-envelope builder is refused, nothing called.
STAMVIK_API int JAX_TIRE_ENVELOPE_BUILDER_SwitchDrivers(KTX::tag_t builder);
// The work part's vehicle coordinate system; the builder is not touched.
STAMVIK_API int JAX_TIRE_ENVELOPE_BUILDER_SetVehicleCoordinateSystem(KTX::VDJA::TireEnvelopeBuilder* builder,
                                                                     int type, const JAM_point3d_s* origin,
                                                                     const JAM_matrix3x3_s* matrix);
STAMVIK_API int JAX_TIRE_ENVELOPE_BUILDER_AddMasterPart(KTX::VDJA::TireEnvelopeBuilder* builder,
                                                        const char* partName);
// By the part itself: a tag of no live part is refused, nothing changed.
STAMVIK_API int JAX_TIRE_ENVELOPE_BUILDER_AddMasterPart(KTX::VDJA::TireEnvelopeBuilder* builder,
                                                        KTX::tag_t partObject);
STAMVIK_API int JAX_TIRE_ENVELOPE_BUILDER_SetTireProfileSketch(KTX::VDJA::TireEnvelopeBuilder* builder,
                                                               const char* partName, const char* sketchName);
// By the sketch itself: its part's file name and its own name; a tag of no
// live sketch is refused, nothing changed.
STAMVIK_API int JAX_TIRE_ENVELOPE_BUILDER_SetTireProfileSketch(KTX::VDJA::TireEnvelopeBuilder* builder,
                                                               KTX::tag_t sketchObject);
STAMVIK_API int JAX_TIRE_ENVELOPE_BUILDER_CreateLinkedProfiles(KTX::VDJA::TireEnvelopeBuilder* builder);
STAMVIK_API int JAX_TIRE_ENVELOPE_BUILDER_CalculateProfilePoints(KTX::VDJA::TireEnvelopeBuilder* builder);
STAMVIK_API int JAX_TIRE_ENVELOPE_BUILDER_ProcessFromSpindleLines(KTX::VDJA::TireEnvelopeBuilder* builder);
// The name of a hard point the file lacks comes back in *missPointName (the caller's).
STAMVIK_API int JAX_TIRE_ENVELOPE_BUILDER_ReadSuspensionTemplate(KTX::VDJA::TireEnvelopeBuilder* builder,
                                                                 const char* fileName, char** missPointName);
STAMVIK_API int JAX_TIRE_ENVELOPE_BUILDER_SetSuspentionTemplatePoint(KTX::VDJA::TireEnvelopeBuilder* builder,
                                                                     int templateType, int jointIndex,
                                                                     const JAM_point3d_s* pnt);
STAMVIK_API int JAX_TIRE_ENVELOPE_BUILDER_BuildMotionTemplate(KTX::VDJA::TireEnvelopeBuilder* builder);
STAMVIK_API int JAX_TIRE_ENVELOPE_BUILDER_RunMotionArticulation(KTX::VDJA::TireEnvelopeBuilder* builder);
// The offset tables: every limit is checked before anything is stored.
STAMVIK_API int JAX_TIRE_ENVELOPE_BUILDER_SetOffsetSections(KTX::VDJA::TireEnvelopeBuilder* builder, int count,
                                                            const double* sectionAngle);
STAMVIK_API int JAX_TIRE_ENVELOPE_BUILDER_SetOffsetValues(KTX::VDJA::TireEnvelopeBuilder* builder, int sectionIndex,
                                                          int count, const double* offsetValues);
STAMVIK_API int JAX_TIRE_ENVELOPE_BUILDER_UpdateTireBodyFeature(KTX::VDJA::TireEnvelopeBuilder* builder);
STAMVIK_API int JAX_TIRE_ENVELOPE_BUILDER_ReassembleTireBodyComponent(KTX::VDJA::TireEnvelopeBuilder* builder);
STAMVIK_API int JAX_TIRE_ENVELOPE_BUILDER_SetClearanceValues(KTX::VDJA::TireEnvelopeBuilder* builder, int count,
                                                             const double* clearanceValues);
STAMVIK_API int JAX_TIRE_ENVELOPE_BUILDER_PerformClearanceAnalysis(KTX::VDJA::TireEnvelopeBuilder* builder);
// The spindle file's name, filed by where the file lives; the motion reads it.
STAMVIK_API int JAX_TIRE_ENVELOPE_BUILDER_set_SpindleFileName(KTX::VDJA::TireEnvelopeBuilder* builder,
                                                              const char* name);
// A new output file name marks the body file as new.
STAMVIK_API int JAX_TIRE_ENVELOPE_BUILDER_set_TireBodyOutputFileName(KTX::VDJA::TireEnvelopeBuilder* builder,
                                                                     const char* name);
