// A row of clamping slots with pads cut into the flange of a die casting at
// one or more locations, in one of three kinds, each with its own default
// dimensions.
#pragma once
#include "DieDesJA_DieLocationsBuilder.hpp"
#include "DieDesJA_GenericBodyBuilder.hpp"
#include "DieDes_DieDirectionBuilder.hpp"
#include "DieDes_DiePlaneBuilder.hpp"
#include "afl/DieDesign.hpp"
#include "afl/Module.hpp"
#include "sel/Selection.hpp"

namespace KTX::DieDesJA {

enum JA_CLAMPING_SLOT_BUILDER_types : int {
  JA_CLAMPING_SLOT_BUILDER_types_Hydraulic = 0,
  JA_CLAMPING_SLOT_BUILDER_types_Traveling = 1,
  JA_CLAMPING_SLOT_BUILDER_types_Automatic = 2,
};

// Kinds of the dimension rows: lengths carry measure 2185, angles 2184.
using ClampingSlotLength = Frame::MeasuredRef<EXP_expression, 2185>;
using ClampingSlotAngle = Frame::MeasuredRef<EXP_expression, 2184>;

#define STAMVIK_CLAMPING_SLOT_BUILDER_ATTRIBUTES(A)                                                  \
  A(0, m_target, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT>, 0x804001)                                  \
  A(1, m_locations, ::KTX::Frame::Ref<::KTX::DieDesJA::DieLocationsBuilder>, 0x804001)               \
  A(2, m_locationOffsetDirection, ::KTX::Frame::Ref<::KTX::DieDes::DieDirectionBuilder>, 0x804001)   \
  A(3, m_basePlane, ::KTX::Frame::Ref<::KTX::DieDes::DiePlaneBuilder>, 0x804001)                     \
  A(4, m_dieCenterlineCoordinateSystem, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT>, 0x804001)           \
  A(5, m_orientationPlane, ::KTX::Frame::Ref<::KTX::DieDes::DiePlaneBuilder>, 0x804001)              \
  A(6, m_flangeBaseProfile, ::KTX::Frame::Ref<::KTX::SC_section>, 0x804001)                          \
  A(7, m_centerlineLength, ::KTX::DieDesJA::ClampingSlotLength, 0x4001)                              \
  A(8, m_innerWidth, ::KTX::DieDesJA::ClampingSlotLength, 0x4001)                                    \
  A(9, m_slotWidth, ::KTX::DieDesJA::ClampingSlotLength, 0x4001)                                     \
  A(10, m_slotLength, ::KTX::DieDesJA::ClampingSlotLength, 0x4001)                                   \
  A(11, m_topLength, ::KTX::DieDesJA::ClampingSlotLength, 0x4001)                                    \
  A(12, m_slotRadius, ::KTX::DieDesJA::ClampingSlotLength, 0x4001)                                   \
  A(13, m_padWidth, ::KTX::DieDesJA::ClampingSlotLength, 0x4001)                                     \
  A(14, m_padHeight, ::KTX::DieDesJA::ClampingSlotLength, 0x4001)                                    \
  A(15, m_padLength, ::KTX::DieDesJA::ClampingSlotLength, 0x4001)                                    \
  A(16, m_padRadius, ::KTX::DieDesJA::ClampingSlotLength, 0x4001)                                    \
  A(17, m_overhang, ::KTX::DieDesJA::ClampingSlotLength, 0x4001)                                     \
  A(18, m_notchWidth, ::KTX::DieDesJA::ClampingSlotLength, 0x4001)                                   \
  A(19, m_notchHeight, ::KTX::DieDesJA::ClampingSlotLength, 0x4001)                                  \
  A(20, m_notchAngle, ::KTX::DieDesJA::ClampingSlotAngle, 0x4001)                                    \
  A(21, m_flangeThickness, ::KTX::DieDesJA::ClampingSlotLength, 0x4001)                              \
  A(22, m_offsetWidth, ::KTX::DieDesJA::ClampingSlotLength, 0x4001)                                  \
  A(23, m_locationOnFlange, ::KTX::Frame::Logical, 0x1)                                              \
  A(24, m_locationOffset, ::KTX::DieDesJA::ClampingSlotLength, 0x4001)                               \
  A(25, m_padOffset, ::KTX::DieDesJA::ClampingSlotLength, 0x4001)                                    \
  A(26, m_padFacesAttributes, ::KTX::Frame::Ref<::KTX::DieDes::DieAttributesBuilder>, 0xC04001)      \
  A(27, m_slotFacesAttributes, ::KTX::Frame::Ref<::KTX::DieDes::DieAttributesBuilder>, 0xC04001)     \
  A(28, m_slotEndFacesAttributes, ::KTX::Frame::Ref<::KTX::DieDes::DieAttributesBuilder>, 0xC04001)  \
  A(29, m_notchFacesAttributes, ::KTX::Frame::Ref<::KTX::DieDes::DieAttributesBuilder>, 0xC04001)    \
  A(30, m_overhangFacesAttributes, ::KTX::Frame::Ref<::KTX::DieDes::DieAttributesBuilder>, 0xC04001) \
  A(31, m_distanceTolerance, ::KTX::Frame::MeasuredDouble<2185>, 0x1)                                \
  A(32, m_angleTolerance, ::KTX::Frame::MeasuredDouble<2184>, 0x1)                                   \
  A(33, m_type, ::KTX::Frame::Integer, 0x1)                                                          \
  A(34, m_hydraulicUnitDefaults, ::KTX::Frame::DoubleArray<2185>, 0x201)                             \
  A(35, m_hydraulicUnitlessDefaults, ::KTX::Frame::DoubleArray<2184>, 0x201)                         \
  A(36, m_travelingUnitDefaults, ::KTX::Frame::DoubleArray<2185>, 0x201)                             \
  A(37, m_travelingUnitlessDefaults, ::KTX::Frame::DoubleArray<2184>, 0x201)                         \
  A(38, m_automaticUnitDefaults, ::KTX::Frame::DoubleArray<2185>, 0x201)                             \
  A(39, m_automaticUnitlessDefaults, ::KTX::Frame::DoubleArray<2184>, 0x201)                         \
  A(40, m_targetData, ::KTX::Frame::Ref<::KTX::DieDes::ClampingSlotTarget>, 0xC04001)

class STAMVIK_API ClampingSlotBuilder : public GenericBodyBuilder {
  STAMVIK_OM_CLASS(ClampingSlotBuilder, GenericBodyBuilder, "KTX::DieDesJA::ClampingSlotBuilder",
                   STAMVIK_CLAMPING_SLOT_BUILDER_ATTRIBUTES)

 public:
  void InitCreate(CM_part* part, FEATURE_RECORD* frec);
  char* ask_journal_class_name() const override;
  int validate_nothrow() override;
  int commit_feature(FEATURE_RECORD** frec) override;
  int ConvertBuilderDataToFrec(FEATURE_RECORD* frec) override;
  // Hands the selected body to the target data, which then decide whether
  // the base plane is needed and may give the flange thickness.
  void Notify(OM::Object* changed) override;

  virtual JA_CLAMPING_SLOT_BUILDER_types GetType() const;
  // Stores the type, then brings the type's default dimensions in.
  virtual void SetType(JA_CLAMPING_SLOT_BUILDER_types type);
  // Edits every dimension that differs from the current type's defaults
  // (the flange thickness: the target's, when it gives one); the location
  // and pad offsets stay. Stops at the first edit that fails.
  virtual void TypeChanged() const;
  // Loads the builder from the feature being edited.
  virtual void ConvertFrecToBuilderData(FEATURE_RECORD* frec);
  // Reads the type's customer defaults (by the owning part's units) into
  // its two default arrays.
  virtual void ReadTypeDefaults(int type);
  virtual tag_t GetFlangeBaseProfileTag() const;

  // The preview for the host's dialog (no undo mark of its own): 0 with the
  // bodies handed over (a host-allocated array the caller owns), or a
  // message number with nothing handed over. The caller passes count 0 and
  // bodies null.
  int CreateBodies(int* count, int** bodies) const;
  // The node tree the host's tool-body call reads: a parent ("Clamping
  // Slots") and one child per location output object. Null when there is
  // no location.
  DIEDES_NODE_s* CreateApplStructure(tag_t orientation, tag_t direction) const;
  // Puts the children's location copies to sleep, logs them for deletion,
  // and frees the tree.
  static void FreeApplStructure(DIEDES_NODE_s* node);
  // Writes the dimensions into the node's second record, or its first when
  // it has no second.
  void PopulateValuesInStucture(DIEDES_NODE_s* node) const;

  SELECT_OBJECT* GetTarget() const { return m_target; }
  DieLocationsBuilder* GetLocations() const { return m_locations; }
  DieDes::DieDirectionBuilder* GetLocationOffsetDirection() const { return m_locationOffsetDirection; }
  DieDes::DiePlaneBuilder* GetBasePlane() const { return m_basePlane; }
  SELECT_OBJECT* GetDieCenterlineCoordinateSystem() const { return m_dieCenterlineCoordinateSystem; }
  DieDes::DiePlaneBuilder* GetOrientationPlane() const { return m_orientationPlane; }
  SC_section* GetFlangeBaseProfile() const { return m_flangeBaseProfile; }
  EXP_expression* GetCenterlineLength() const { return m_centerlineLength; }
  EXP_expression* GetInnerWidth() const { return m_innerWidth; }
  EXP_expression* GetSlotWidth() const { return m_slotWidth; }
  EXP_expression* GetSlotLength() const { return m_slotLength; }
  EXP_expression* GetTopLength() const { return m_topLength; }
  EXP_expression* GetSlotRadius() const { return m_slotRadius; }
  EXP_expression* GetPadWidth() const { return m_padWidth; }
  EXP_expression* GetPadHeight() const { return m_padHeight; }
  EXP_expression* GetPadLength() const { return m_padLength; }
  EXP_expression* GetPadRadius() const { return m_padRadius; }
  EXP_expression* GetOverhang() const { return m_overhang; }
  EXP_expression* GetNotchWidth() const { return m_notchWidth; }
  EXP_expression* GetNotchHeight() const { return m_notchHeight; }
  EXP_expression* GetNotchAngle() const { return m_notchAngle; }
  EXP_expression* GetFlangeThickness() const { return m_flangeThickness; }
  EXP_expression* GetOffsetWidth() const { return m_offsetWidth; }
  EXP_expression* GetLocationOffset() const { return m_locationOffset; }
  EXP_expression* GetPadOffset() const { return m_padOffset; }
  DieDes::DieAttributesBuilder* GetPadFacesAttributes() const { return m_padFacesAttributes; }
  DieDes::DieAttributesBuilder* GetSlotFacesAttributes() const { return m_slotFacesAttributes; }
  DieDes::DieAttributesBuilder* GetSlotEndFacesAttributes() const { return m_slotEndFacesAttributes; }
  DieDes::DieAttributesBuilder* GetNotchFacesAttributes() const { return m_notchFacesAttributes; }
  DieDes::DieAttributesBuilder* GetOverhangFacesAttributes() const { return m_overhangFacesAttributes; }
  DieDes::ClampingSlotTarget* GetTargetData() const { return m_targetData; }

  double GetDistanceTolerance() const { return m_distanceTolerance; }
  void SetDistanceTolerance(double tolerance);
  double GetAngleTolerance() const { return m_angleTolerance; }
  void SetAngleTolerance(double tolerance);
  bool GetLocationOnFlange() const { return m_locationOnFlange; }
  void SetLocationOnFlange(bool onFlange);

  // The customer defaults of each type: 17 lengths (Unit) and the notch angle
  // (Unitless). Default(i) raises the host's index error outside the array;
  // Defaults() is the length, 0 before the array exists; SetDefaults(n) sets
  // the length; SetDefault(i, v) also appends when i is the length.
  double GetHydraulicUnitDefault(int i) const;
  int GetHydraulicUnitDefaults() const;
  const double* GetHydraulicUnitDefaultsArray() const;
  void SetHydraulicUnitDefaults(int n);
  void SetHydraulicUnitDefault(int i, double value);
  double GetHydraulicUnitlessDefault(int i) const;
  int GetHydraulicUnitlessDefaults() const;
  const double* GetHydraulicUnitlessDefaultsArray() const;
  void SetHydraulicUnitlessDefaults(int n);
  void SetHydraulicUnitlessDefault(int i, double value);
  double GetTravelingUnitDefault(int i) const;
  int GetTravelingUnitDefaults() const;
  const double* GetTravelingUnitDefaultsArray() const;
  void SetTravelingUnitDefaults(int n);
  void SetTravelingUnitDefault(int i, double value);
  double GetTravelingUnitlessDefault(int i) const;
  int GetTravelingUnitlessDefaults() const;
  const double* GetTravelingUnitlessDefaultsArray() const;
  void SetTravelingUnitlessDefaults(int n);
  void SetTravelingUnitlessDefault(int i, double value);
  double GetAutomaticUnitDefault(int i) const;
  int GetAutomaticUnitDefaults() const;
  const double* GetAutomaticUnitDefaultsArray() const;
  void SetAutomaticUnitDefaults(int n);
  void SetAutomaticUnitDefault(int i, double value);
  double GetAutomaticUnitlessDefault(int i) const;
  int GetAutomaticUnitlessDefaults() const;
  const double* GetAutomaticUnitlessDefaultsArray() const;
  void SetAutomaticUnitlessDefaults(int n);
  void SetAutomaticUnitlessDefault(int i, double value);

 protected:
  void SetFlangeBaseProfile(SC_section* section);

 private:
  int ToParms(DIEDES_GENERIC_BODY_PARMS* parms) override;
  void GetSelectedObjects(int* count, tag_t** tags) const override;
  // Pre-selects the part's locations that carry the customer defaults' name
  // or attribute (create path only).
  void PrePopulateSelections();
  // The 17 dimensions in the order of the value record.
  void ValueRecord(EXP_expression* values[17]) const;
  void SetDefault(const OM::AttributeId& attribute, void (ClampingSlotBuilder::*setLength)(int), int i,
                  double value);

  // Used when a feature is read back.
  void SetCenterlineLength(EXP_expression* value);
  void SetInnerWidth(EXP_expression* value);
  void SetSlotWidth(EXP_expression* value);
  void SetSlotLength(EXP_expression* value);
  void SetTopLength(EXP_expression* value);
  void SetSlotRadius(EXP_expression* value);
  void SetPadWidth(EXP_expression* value);
  void SetPadHeight(EXP_expression* value);
  void SetPadLength(EXP_expression* value);
  void SetPadRadius(EXP_expression* value);
  void SetOverhang(EXP_expression* value);
  void SetNotchWidth(EXP_expression* value);
  void SetNotchHeight(EXP_expression* value);
  void SetNotchAngle(EXP_expression* value);
  void SetFlangeThickness(EXP_expression* value);
  void SetOffsetWidth(EXP_expression* value);
  void SetLocationOffset(EXP_expression* value);
  void SetPadOffset(EXP_expression* value);
};

STAMVIK_OM_CLASS_EXPORTS(ClampingSlotBuilder)
STAMVIK_OM_INSTANCE_SIZE_DECL(ClampingSlotBuilder)

class STAMVIK_API ClampingSlotBuilderFactory {
 public:
  static ClampingSlotBuilder* Create(CM_part* part, FEATURE_RECORD* frec);
};

}  // namespace KTX::DieDesJA
