// A rectangular or circular key slot, optionally with a pad, cut into the
// die's base flange on one side of the die's centreline coordinate system.
#pragma once
#include "DieDesJA_GenericBodyBuilder.hpp"
#include "DieDes_DiePlaneBuilder.hpp"
#include "afl/DieDesign.hpp"
#include "afl/Module.hpp"
#include "sel/Selection.hpp"

namespace KTX::DieDesJA {

enum JA_KEYWAY_BUILDER_types : int {
  JA_KEYWAY_BUILDER_types_Rectangular = 0,
  JA_KEYWAY_BUILDER_types_Circular = 1,
};

enum JA_KEYWAY_BUILDER_location_type : int {
  JA_KEYWAY_BUILDER_location_type_PositiveX = 0,
  JA_KEYWAY_BUILDER_location_type_NegativeX = 1,
  JA_KEYWAY_BUILDER_location_type_PositiveY = 2,
  JA_KEYWAY_BUILDER_location_type_NegativeY = 3,
};

#define STAMVIK_KEYWAY_BUILDER_ATTRIBUTES(A)                                                         \
  A(0, m_target, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT>, 0x1A04001)                                 \
  A(1, m_location, ::KTX::Frame::Integer, 0x1)                                                       \
  A(2, m_offset, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1A04001)                                \
  A(3, m_baseOrientation, ::KTX::Frame::Ref<::KTX::DieDes::DiePlaneBuilder>, 0x1A04001)              \
  A(4, m_placementOffset, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1A04001)                       \
  A(5, m_dieCenterlineCoordinateSystem, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT>, 0x1A04001)          \
  A(6, m_sheetMetal, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT>, 0x1A04001)                             \
  A(7, m_deckThickness, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1A04001)                         \
  A(8, m_baseFlange, ::KTX::Frame::Ref<::KTX::SC_section>, 0x1A04001)                                \
  A(9, m_interiorProfile, ::KTX::Frame::Ref<::KTX::SC_section>, 0x1A04001)                           \
  A(10, m_slotLength, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1A04001)                           \
  A(11, m_slotWidth, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1A04001)                            \
  A(12, m_slotDepth, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1A04001)                            \
  A(13, m_padWidth, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1A04001)                             \
  A(14, m_padHeight, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1A04001)                            \
  A(15, m_minimumRibHeight, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1A04001)                     \
  A(16, m_runoffLength, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1A04001)                         \
  A(17, m_runoffWidth, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1A04001)                          \
  A(18, m_runoffDepth, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1A04001)                          \
  A(19, m_runoffRadius, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1A04001)                         \
  A(20, m_createWithPad, ::KTX::Frame::Logical, 0x1)                                                 \
  A(21, m_slotAttributes, ::KTX::Frame::Ref<::KTX::DieDes::DieAttributesBuilder>, 0x1A04001)         \
  A(22, m_padAttributes, ::KTX::Frame::Ref<::KTX::DieDes::DieAttributesBuilder>, 0x1A04001)          \
  A(23, m_distanceTolerance, ::KTX::Frame::Double, 0x1)                                              \
  A(24, m_angleTolerance, ::KTX::Frame::Double, 0x1)                                                 \
  A(25, m_type, ::KTX::Frame::Integer, 0x1)                                                          \
  A(26, m_targetData, ::KTX::Frame::Ref<::KTX::DieDes::KeywayTarget>, 0x1A04001)

class STAMVIK_API KeywayBuilder : public GenericBodyBuilder {
  STAMVIK_OM_CLASS(KeywayBuilder, GenericBodyBuilder, "KTX::DieDesJA::KeywayBuilder",
                   STAMVIK_KEYWAY_BUILDER_ATTRIBUTES)

 public:
  void InitCreate(CM_part* part, FEATURE_RECORD* frec);
  char* ask_journal_class_name() const override;
  int validate_nothrow() override;
  int commit_feature(FEATURE_RECORD** frec) override;
  int ConvertBuilderDataToFrec(FEATURE_RECORD* frec) override;
  // Hands the selected body to the target data, which then decide whether
  // the base plane is needed and may give the deck thickness.
  void Notify(OM::Object* changed) override;

  // The location goes through the object manager's integer calls, so scripts
  // and the dialog see the same value as the stored attribute.
  virtual JA_KEYWAY_BUILDER_location_type GetLocation() const;
  virtual void SetLocation(JA_KEYWAY_BUILDER_location_type location);
  virtual JA_KEYWAY_BUILDER_types GetType() const;
  virtual void SetType(JA_KEYWAY_BUILDER_types type);
  // The base: the base plane's, else the target's; moved along its normal by
  // the placement offset. False when neither gives one.
  virtual bool GetBaseInformation(double origin[3], double normal[3]) const;
  // The die's coordinate system: the selected one, else the target's. False
  // (origin and identity) when neither gives one.
  virtual bool GetCSYSInformation(double origin[3], double matrix[9]) const;
  // Where the keyway starts (the coordinate system's origin moved by the
  // offset), the way it points, and the side across it.
  virtual void GetIntersectionDirection(double point[3], double direction[3], double side[3]) const;
  // Where the keyway's direction meets the base flange: the first flange
  // point on the negative side, brought down onto the base plane. False
  // (onFlange the start point) when no flange curve is met.
  virtual bool GetIntersectionOnFlange(double point[3], double direction[3], double side[3],
                                       double onFlange[3]) const;

  // Loads the builder from the feature being edited.
  virtual void ConvertFrecToBuilderData(FEATURE_RECORD* frec);

  // The preview for the host's dialog, under the mark "Keyway create
  // bodies": 0 with the bodies handed over (a host-allocated array the
  // caller owns), or a message number with nothing handed over. The caller
  // passes count 0 and bodies null.
  int CreateBodies(int* count, int** bodies) const;

  // The node tree the host's tool-body call reads: a parent ("Keyways") whose
  // first record holds the keyway record, and one child ("Key") whose second
  // record holds the same from byte 8. Null when the host makes no tree.
  DIEDES_NODE_s* CreateApplStructure() const;
  static void FreeApplStructure(DIEDES_NODE_s* node);
  // Writes the keyway record into the node's first record (with the
  // location at byte 0), or into its second when it has no first.
  void PopulateValuesInStucture(DIEDES_NODE_s* node) const;

  int GetLocationInt() const { return m_location; }
  void SetLocationInt(int location);
  bool GetCreateWithPad() const { return m_createWithPad; }
  void SetCreateWithPad(bool create);
  double GetDistanceTolerance() const { return m_distanceTolerance; }
  void SetDistanceTolerance(double tolerance);
  double GetAngleTolerance() const { return m_angleTolerance; }
  void SetAngleTolerance(double tolerance);

  SELECT_OBJECT* GetTarget() const { return m_target; }
  EXP_expression* GetOffset() const { return m_offset; }
  DieDes::DiePlaneBuilder* GetBaseOrientation() const { return m_baseOrientation; }
  EXP_expression* GetPlacementOffset() const { return m_placementOffset; }
  SELECT_OBJECT* GetDieCenterlineCoordinateSystem() const { return m_dieCenterlineCoordinateSystem; }
  SELECT_OBJECT* GetSheetMetal() const { return m_sheetMetal; }
  EXP_expression* GetDeckThickness() const { return m_deckThickness; }
  SC_section* GetBaseFlange() const { return m_baseFlange; }
  SC_section* GetInteriorProfile() const { return m_interiorProfile; }
  EXP_expression* GetSlotLength() const { return m_slotLength; }
  EXP_expression* GetSlotWidth() const { return m_slotWidth; }
  EXP_expression* GetSlotDepth() const { return m_slotDepth; }
  EXP_expression* GetPadWidth() const { return m_padWidth; }
  EXP_expression* GetPadHeight() const { return m_padHeight; }
  EXP_expression* GetMinimumRibHeight() const { return m_minimumRibHeight; }
  EXP_expression* GetRunoffLength() const { return m_runoffLength; }
  EXP_expression* GetRunoffWidth() const { return m_runoffWidth; }
  EXP_expression* GetRunoffDepth() const { return m_runoffDepth; }
  EXP_expression* GetRunoffRadius() const { return m_runoffRadius; }
  DieDes::DieAttributesBuilder* GetSlotAttributes() const { return m_slotAttributes; }
  DieDes::DieAttributesBuilder* GetPadAttributes() const { return m_padAttributes; }
  DieDes::KeywayTarget* GetTargetData() const { return m_targetData; }

 protected:
  void SetBaseFlange(SC_section* section);
  void SetInteriorProfile(SC_section* section);

 private:
  // A curve for the preview: a copy of the section's one curve, or its
  // curves joined; without curves, a copy of the target's (when it gives
  // one). 0 or a message number; *curve 0 when there is none.
  int PreviewCurve(const SC_section* section, bool targetGives, tag_t targetCurve, tag_t* curve) const;
  int ToParms(DIEDES_GENERIC_BODY_PARMS* parms) override;
  void GetSelectedObjects(int* count, tag_t** tags) const override;

  // Used when a feature's values are read back into the builder.
  void SetOffset(EXP_expression* expression);
  void SetPlacementOffset(EXP_expression* expression);
  void SetDeckThickness(EXP_expression* expression);
  void SetSlotLength(EXP_expression* expression);
  void SetSlotWidth(EXP_expression* expression);
  void SetSlotDepth(EXP_expression* expression);
  void SetPadWidth(EXP_expression* expression);
  void SetPadHeight(EXP_expression* expression);
  void SetMinimumRibHeight(EXP_expression* expression);
  void SetRunoffLength(EXP_expression* expression);
  void SetRunoffWidth(EXP_expression* expression);
  void SetRunoffDepth(EXP_expression* expression);
  void SetRunoffRadius(EXP_expression* expression);
};

STAMVIK_OM_CLASS_EXPORTS(KeywayBuilder)
STAMVIK_OM_INSTANCE_SIZE_DECL(KeywayBuilder)

class STAMVIK_API KeywayBuilderFactory {
 public:
  static KeywayBuilder* Create(CM_part* part, FEATURE_RECORD* frec);
};

}  // namespace KTX::DieDesJA
