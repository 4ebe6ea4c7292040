// One draw bead of a drawing die: placement face, centerline, start and end,
// draw direction, male and female cross-section, end tapers, attribute
// sub-builders and the ordered segments that carry the bead's sections.
#pragma once
#include <array>
#include <string>
#include <vector>

#include "ClassFrame.hpp"
#include "DieDesJA_DieLocationBuilder.hpp"
#include "DieDes_DieDirectionBuilder.hpp"
#include "DieEngJA_DrawBeadTaperBuilder.hpp"
#include "afl/DieDesign.hpp"
#include "feat/Builder.hpp"
#include "sel/Selection.hpp"

namespace KTX {
class DIE_DRBD_MALE_PARMS;
}

namespace KTX::DieEngJA {

class DrawBeadSegmentBuilder;

enum JA_DRAW_BEAD_BUILDER_MaleBeadPositionTypes : int {
  JA_DRAW_BEAD_BUILDER_MaleBeadPositionTypes_Upper = 0,
  JA_DRAW_BEAD_BUILDER_MaleBeadPositionTypes_Lower = 1,
};
enum JA_DRAW_BEAD_BUILDER_ProjectionDirectionTypes : int {
  JA_DRAW_BEAD_BUILDER_ProjectionDirectionTypes_DrawDirection = 0,
  JA_DRAW_BEAD_BUILDER_ProjectionDirectionTypes_NormalToPlacementFace = 1,
};
enum JA_DRAW_BEAD_BUILDER_OrientationTypes : int {
  JA_DRAW_BEAD_BUILDER_OrientationTypes_Orthogonal = 0,
  JA_DRAW_BEAD_BUILDER_OrientationTypes_Vertical = 1,
};
enum JA_DRAW_BEAD_BUILDER_TransitionDefinitionTypes : int {
  JA_DRAW_BEAD_BUILDER_TransitionDefinitionTypes_Automatic = 0,
  JA_DRAW_BEAD_BUILDER_TransitionDefinitionTypes_Manual = 1,
};
enum JA_DRAW_BEAD_BUILDER_FemaleDepthTypes : int {
  JA_DRAW_BEAD_BUILDER_FemaleDepthTypes_Derived = 0,
  JA_DRAW_BEAD_BUILDER_FemaleDepthTypes_Constant = 1,
};
enum JA_DRAW_BEAD_BUILDER_FemaleWidthTypes : int {
  JA_DRAW_BEAD_BUILDER_FemaleWidthTypes_Derived = 0,
  JA_DRAW_BEAD_BUILDER_FemaleWidthTypes_Constant = 1,
};
enum JA_DRAW_BEAD_BUILDER_OutputTypes : int {
  JA_DRAW_BEAD_BUILDER_OutputTypes_None = 0,
  JA_DRAW_BEAD_BUILDER_OutputTypes_Male = 1,
  JA_DRAW_BEAD_BUILDER_OutputTypes_PlusFemale = 2,
  JA_DRAW_BEAD_BUILDER_OutputTypes_PlusSheetMetal = 3,
};
enum JA_DRAW_BEAD_BUILDER_OrientSectionToDrawTypes : int {
  JA_DRAW_BEAD_BUILDER_OrientSectionToDrawTypes_DrawDirection = 0,
  JA_DRAW_BEAD_BUILDER_OrientSectionToDrawTypes_SheetMetalNormal = 1,
};

#define STAMVIK_DRAW_BEAD_BUILDER_ATTRIBUTES(A)                                                         \
  A(0, m_maleBeadPosition, ::KTX::Frame::Integer, 0x1)                                                  \
  A(1, m_placementFace, ::KTX::Frame::Ref<::KTX::SC_collector>, 0x804001)                               \
  A(2, m_reverseMetalThickness, ::KTX::Frame::Logical, 0x1)                                             \
  A(3, m_centerline, ::KTX::Frame::Ref<::KTX::SC_section>, 0x4001)                                      \
  A(4, m_centerlineProjection, ::KTX::Frame::Integer, 0x1)                                              \
  A(5, m_startPoint, ::KTX::Frame::Ref<::KTX::DieDesJA::DieLocationBuilder>, 0x804001)                  \
  A(6, m_endPoint, ::KTX::Frame::Ref<::KTX::DieDesJA::DieLocationBuilder>, 0x804001)                    \
  A(7, m_drawDirection, ::KTX::Frame::Ref<::KTX::DieDes::DieDirectionBuilder>, 0x804001)                \
  A(8, m_metalThickness, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x804001)                            \
  A(9, m_clearance, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x804001)                                 \
  A(10, m_referenceDirection, ::KTX::Frame::Logical, 0x1)                                               \
  A(11, m_taperBead, ::KTX::Frame::Logical, 0x1)                                                        \
  A(12, m_baseOrientation, ::KTX::Frame::Integer, 0x1)                                                  \
  A(13, m_transitionDefinition, ::KTX::Frame::Integer, 0x1)                                             \
  A(14, m_femaleDepthType, ::KTX::Frame::Integer, 0x1)                                                  \
  A(15, m_femaleDepthValue, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x804001)                         \
  A(16, m_femaleWidthType, ::KTX::Frame::Integer, 0x1)                                                  \
  A(17, m_femaleWidthValue, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x804001)                         \
  A(18, m_segmentList, ::KTX::Frame::Ref<::KTX::UICOMPJA_list>, 0x4001)                                 \
  A(19, m_buildStartTaper, ::KTX::Frame::Logical, 0x1)                                                  \
  A(20, m_startTaper, ::KTX::Frame::Ref<::KTX::DieEngJA::DrawBeadTaperBuilder>, 0x804001)               \
  A(21, m_buildEndTaper, ::KTX::Frame::Logical, 0x1)                                                    \
  A(22, m_endTaper, ::KTX::Frame::Ref<::KTX::DieEngJA::DrawBeadTaperBuilder>, 0x804001)                 \
  A(23, m_output, ::KTX::Frame::Integer, 0x1)                                                           \
  A(24, m_machineOffset, ::KTX::Frame::Logical, 0x1)                                                    \
  A(25, m_generateHeightCurve, ::KTX::Frame::Logical, 0x1)                                              \
  A(26, m_orientSectionToDraw, ::KTX::Frame::Integer, 0x1)                                              \
  A(27, m_maleSheetAttribute, ::KTX::Frame::Ref<::KTX::DieDes::DieAttributesBuilder>, 0x804001)         \
  A(28, m_maleFaceAttribute, ::KTX::Frame::Ref<::KTX::DieDes::DieAttributesBuilder>, 0x804001)          \
  A(29, m_femaleSheetAttribute, ::KTX::Frame::Ref<::KTX::DieDes::DieAttributesBuilder>, 0x804001)       \
  A(30, m_femaleFaceAttribute, ::KTX::Frame::Ref<::KTX::DieDes::DieAttributesBuilder>, 0x804001)        \
  A(31, m_sheetMetalSheetAttribute, ::KTX::Frame::Ref<::KTX::DieDes::DieAttributesBuilder>, 0x804001)   \
  A(32, m_sheetMetalFaceAttribute, ::KTX::Frame::Ref<::KTX::DieDes::DieAttributesBuilder>, 0x804001)    \
  A(33, m_machiningOffsetTitleAttribute, ::KTX::Frame::Ref<::KTX::DieDes::DieAttributesBuilder>, 0x804001) \
  A(34, m_distanceTolerance, ::KTX::Frame::Double, 0x1)                                                 \
  A(35, m_angleTolerance, ::KTX::Frame::Double, 0x1)                                                    \
  A(36, m_changesPending, ::KTX::Frame::Logical, 0x1)                                                   \
  A(37, m_segmentParameters, ::KTX::Frame::DoubleArray<>, 0x201)                                        \
  A(38, m_deleteSegmentsDuringClean, ::KTX::Frame::LogicalStarting<true>, 0x1)                          \
  A(39, m_pathForSegments, ::KTX::Frame::Tag, 0x4001)                                                   \
  A(40, m_details, ::KTX::Frame::StringArray, 0x201)                                                    \
  A(41, m_pointTag, ::KTX::Frame::Tag, 0x804001)

class STAMVIK_API DrawBeadBuilder : public JAX_FEAT_BUILDER {
  STAMVIK_OM_CLASS(DrawBeadBuilder, JAX_FEAT_BUILDER, "KTX::DieEngJA::DrawBeadBuilder",
                   STAMVIK_DRAW_BEAD_BUILDER_ATTRIBUTES)

 public:
  char* ask_journal_class_name() const override;
  void destroy() override;
  void cascade_destroy() override;

  int validate_nothrow() override;
  // Makes (or, editing, updates) the male bead and, as the output asks, the
  // female and sheet-metal beads: 0 or the first failure, which leaves the
  // part as it was.
  int commit_feature(FEATURE_RECORD** frec) override;
  // Reacts to a change of the centerline or of an end point: a new path for
  // every segment (a new centerline first leaves only the first segment).
  void Notify(OM::Object* changed) override;

  // One segment per centerline curve, each on the stretch of the path that
  // curve spans: 0, or the first failure of making a segment.
  virtual int CreateSegmentsFromCenterlineCurves();
  // Points the draw direction down the work coordinate system's Z axis.
  virtual int SetDefaultDrawDirection();
  // Reads an edited feature's record back into the builder.
  virtual void ConvertFrecToBuilderData(FEATURE_RECORD* frec);
  // Writes the builder into the male bead's parameters.
  virtual int ToParms(DIE_DRBD_MALE_PARMS* parms);

  // The split rule on the working list (the path's limits and the curves'
  // start parameters, t0 the lower limit): sorts it, drops near-equal values
  // and keeps the survivors at its front, whose count it returns.
  static std::size_t SplitRule(double t0, double* values, std::size_t count);
  // Neighbours in the segment list, skipping empty entries (null when none).
  DrawBeadSegmentBuilder* GetNextSegment(const DrawBeadSegmentBuilder* segment) const;
  DrawBeadSegmentBuilder* GetPreviousSegment(const DrawBeadSegmentBuilder* segment) const;
  // The last segment before the first entry of `segment` (of the whole list
  // when it is not in it).
  DrawBeadSegmentBuilder* GetLastSegment(const DrawBeadSegmentBuilder* segment) const;
  // Holds back (or lets through again) the reactions of the bead and of
  // every segment to their own changes.
  void DisableNotification();
  void EnableNotification();
  // The first segment warning about its top radii, else 0.
  int GetTopRadiusCode() const;
  // Hands the path to every segment.
  void UpdateSegmentPaths();
  // Puts the centerline and what it is made of under the object manager's watch.
  void WatchObjects() const;
  // The segment list's insert callback: a new segment joins this bead and
  // starts where the segment before it ends.
  static void InsertCB(UICOMPJA_list* list, void* bead, OM::Object* item, int index);

  JA_DRAW_BEAD_BUILDER_MaleBeadPositionTypes GetMaleBeadPosition() const {
    return static_cast<JA_DRAW_BEAD_BUILDER_MaleBeadPositionTypes>(m_maleBeadPosition);
  }
  void SetMaleBeadPosition(JA_DRAW_BEAD_BUILDER_MaleBeadPositionTypes position);
  bool GetReverseMetalThickness() const { return m_reverseMetalThickness; }
  void SetReverseMetalThickness(bool reverse);
  JA_DRAW_BEAD_BUILDER_ProjectionDirectionTypes GetCenterlineProjection() const {
    return static_cast<JA_DRAW_BEAD_BUILDER_ProjectionDirectionTypes>(m_centerlineProjection);
  }
  void SetCenterlineProjection(JA_DRAW_BEAD_BUILDER_ProjectionDirectionTypes projection);
  bool GetReferenceDirection() const { return m_referenceDirection; }
  void SetReferenceDirection(bool reverse);
  bool GetTaperBead() const { return m_taperBead; }
  void SetTaperBead(bool taper);
  JA_DRAW_BEAD_BUILDER_OrientationTypes GetBaseOrientation() const {
    return static_cast<JA_DRAW_BEAD_BUILDER_OrientationTypes>(m_baseOrientation);
  }
  void SetBaseOrientation(JA_DRAW_BEAD_BUILDER_OrientationTypes orientation);
  JA_DRAW_BEAD_BUILDER_TransitionDefinitionTypes GetTransitionDefinition() const {
    return static_cast<JA_DRAW_BEAD_BUILDER_TransitionDefinitionTypes>(m_transitionDefinition);
  }
  void SetTransitionDefinition(JA_DRAW_BEAD_BUILDER_TransitionDefinitionTypes definition);
  JA_DRAW_BEAD_BUILDER_FemaleDepthTypes GetFemaleDepthType() const {
    return static_cast<JA_DRAW_BEAD_BUILDER_FemaleDepthTypes>(m_femaleDepthType);
  }
  void SetFemaleDepthType(JA_DRAW_BEAD_BUILDER_FemaleDepthTypes type);
  JA_DRAW_BEAD_BUILDER_FemaleWidthTypes GetFemaleWidthType() const {
    return static_cast<JA_DRAW_BEAD_BUILDER_FemaleWidthTypes>(m_femaleWidthType);
  }
  void SetFemaleWidthType(JA_DRAW_BEAD_BUILDER_FemaleWidthTypes type);
  bool GetBuildStartTaper() const { return m_buildStartTaper; }
  void SetBuildStartTaper(bool build);
  bool GetBuildEndTaper() const { return m_buildEndTaper; }
  void SetBuildEndTaper(bool build);
  JA_DRAW_BEAD_BUILDER_OutputTypes GetOutput() const {
    return static_cast<JA_DRAW_BEAD_BUILDER_OutputTypes>(m_output);
  }
  void SetOutput(JA_DRAW_BEAD_BUILDER_OutputTypes output);
  bool GetMachineOffset() const { return m_machineOffset; }
  void SetMachineOffset(bool offset);
  bool GetGenerateHeightCurve() const { return m_generateHeightCurve; }
  void SetGenerateHeightCurve(bool generate);
  JA_DRAW_BEAD_BUILDER_OrientSectionToDrawTypes GetOrientSectionToDraw() const {
    return static_cast<JA_DRAW_BEAD_BUILDER_OrientSectionToDrawTypes>(m_orientSectionToDraw);
  }
  void SetOrientSectionToDraw(JA_DRAW_BEAD_BUILDER_OrientSectionToDrawTypes orient);
  double GetDistanceTolerance() const { return m_distanceTolerance; }
  void SetDistanceTolerance(double tolerance);
  double GetAngleTolerance() const { return m_angleTolerance; }
  void SetAngleTolerance(double tolerance);
  bool GetDeleteSegmentsDuringClean() const { return m_deleteSegmentsDuringClean; }
  void SetDeleteSegmentsDuringClean(bool deleteThem);
  tag_t GetPathForSegments() const { return m_pathForSegments; }
  tag_t GetPointTag() const { return m_pointTag; }
  void SetPointTag(tag_t point);

  SC_collector* GetPlacementFace() const { return m_placementFace; }
  SC_section* GetCenterline() const { return m_centerline; }
  DieDesJA::DieLocationBuilder* GetStartPoint() const { return m_startPoint; }
  DieDesJA::DieLocationBuilder* GetEndPoint() const { return m_endPoint; }
  DieDes::DieDirectionBuilder* GetDrawDirection() const { return m_drawDirection; }
  EXP_expression* GetMetalThickness() const { return m_metalThickness; }
  EXP_expression* GetClearance() const { return m_clearance; }
  EXP_expression* GetFemaleDepthValue() const { return m_femaleDepthValue; }
  EXP_expression* GetFemaleWidthValue() const { return m_femaleWidthValue; }
  UICOMPJA_list* GetSegmentList() const { return m_segmentList; }
  DrawBeadTaperBuilder* GetStartTaper() const { return m_startTaper; }
  DrawBeadTaperBuilder* GetEndTaper() const { return m_endTaper; }
  DieDes::DieAttributesBuilder* GetMaleSheetAttribute() const { return m_maleSheetAttribute; }
  DieDes::DieAttributesBuilder* GetMaleFaceAttribute() const { return m_maleFaceAttribute; }
  DieDes::DieAttributesBuilder* GetFemaleSheetAttribute() const { return m_femaleSheetAttribute; }
  DieDes::DieAttributesBuilder* GetFemaleFaceAttribute() const { return m_femaleFaceAttribute; }
  DieDes::DieAttributesBuilder* GetSheetMetalSheetAttribute() const { return m_sheetMetalSheetAttribute; }
  DieDes::DieAttributesBuilder* GetSheetMetalFaceAttribute() const { return m_sheetMetalFaceAttribute; }
  DieDes::DieAttributesBuilder* GetMachiningOffsetTitleAttribute() const { return m_machiningOffsetTitleAttribute; }

  int GetSegmentParametersLength() const;
  double GetSegmentParameter(int i) const;
  void SetSegmentParameter(int i, double value);
  void SetSegmentParametersLength(int length);

  int GetDetailsLength() const;
  const char* GetDetail(int i) const;
  void SetDetail(int i, const char* detail);
  void SetDetailsLength(int length);

  // The details as a fresh array of fresh copies from the host allocator,
  // null when there are none; the caller releases it with FreeDetails.
  int GetMoreDetailsInfo(char*** strings) const;
  static void FreeDetails(int* count, char*** strings);
  void SetMoreDetailsInfo(int count, const char** strings);

 protected:
  void InitCreate(CM_part* part, FEATURE_RECORD* frec);
  // Leaves only the first segment in the list (the others deleted or, when
  // the bead keeps them, only unlinked) and returns it.
  DrawBeadSegmentBuilder* CleanList();

 private:
  friend class DrawBeadBuilderFactory;
  void implement_destroy();
  // Builds the curve the segments lie on from the centerline and the end points.
  void SetPathForSegments();
  // The split parameters on the first segment's path, sorted, one per curve start.
  void CreateSegmentParameters();
  // One segment per interval between the split parameters: 0, or the first failure.
  int CreateNewSegments();
  int CommitNew(FEATURE_RECORD** frec);
  int CommitEdit(FEATURE_RECORD* frec);
  // Each segment fitted to the path the commit builds: 0, or the first
  // failure. What was given before the path's start is told in `words`.
  int FitSegmentsToPath(std::vector<std::string>* words);
  // Shows a warning for each segment the commit left with no length.
  void WarnOfSegmentsWithoutLength() const;
  // Items 0 and 1 of the record, read back into the placement face and the centerline.
  void ReadPlacementFace(DIE_DRBD_MALE_PARMS* parms, FEATURE_RECORD* frec);
  void ReadCenterline(DIE_DRBD_MALE_PARMS* parms, FEATURE_RECORD* frec);
  // Whether the placement face (or its body) carries the material thickness.
  bool MetalThicknessMatchesMaterial() const;
  int WriteSegmentRecords(DIE_DRBD_MALE_PARMS* parms);
  void WriteAttributeBlock(DIE_DRBD_MALE_PARMS* parms) const;
  void ReadAttributeBlock(DIE_DRBD_MALE_PARMS* parms);
  // The attribute sub-builders in the record's order.
  std::array<DieDes::DieAttributesBuilder*, 7> AttributeBuilders() const;
  // The segment at a list index; null for an empty entry or another object.
  DrawBeadSegmentBuilder* SegmentAt(int index) const;

  bool GetChangesPending() const { return m_changesPending; }
  void SetChangesPending(bool pending);
  void SetPlacementFace(SC_collector* face);
  void SetCenterline(SC_section* centerline);
  void SetMetalThickness(EXP_expression* thickness);
  void SetClearance(EXP_expression* clearance);
  void SetFemaleDepthValue(EXP_expression* depth);
  void SetFemaleWidthValue(EXP_expression* width);
};

STAMVIK_OM_CLASS_EXPORTS(DrawBeadBuilder)
STAMVIK_OM_INSTANCE_SIZE_DECL(DrawBeadBuilder)

class STAMVIK_API DrawBeadBuilderFactory {
 public:
  static DrawBeadBuilder* Create(CM_part* part, FEATURE_RECORD* frec);
};

}  // namespace KTX::DieEngJA
