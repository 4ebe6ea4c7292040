// A rectangular or round heel post with a pad on top, standing on the die's
// base, with up to four walls, reliefs, an optional floor and a hole.
#pragma once
#include "DieDesJA_DieLocationBuilder.hpp"
#include "DieDesJA_GenericBodyBuilder.hpp"
#include "DieDes_DieDirectionBuilder.hpp"
#include "DieDes_DiePlaneBuilder.hpp"
#include "afl/DieDesign.hpp"
#include "afl/Module.hpp"
#include "sel/Selection.hpp"

namespace KTX::DieDesJA {

enum JA_HEELPOST_BUILDER_types : int {
  JA_HEELPOST_BUILDER_types_GuidepostWearplate = 0,
  JA_HEELPOST_BUILDER_types_StorageBlock = 1,
  JA_HEELPOST_BUILDER_types_SafetyBlock = 2,
};

#define STAMVIK_HEELPOST_BUILDER_ATTRIBUTES(A)                                                        \
  A(0, m_target, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT>, 0x1A04001)                                  \
  A(1, m_center, ::KTX::Frame::Ref<::KTX::DieDesJA::DieLocationBuilder>, 0x1A04001)                   \
  A(2, m_offsetDirection, ::KTX::Frame::Ref<::KTX::DieDes::DieDirectionBuilder>, 0x1A04001)           \
  A(3, m_locationOffset, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1A04001)                         \
  A(4, m_baseOrientation, ::KTX::Frame::Ref<::KTX::DieDes::DiePlaneBuilder>, 0x1A04001)               \
  A(5, m_baseOffset, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1A04001)                             \
  A(6, m_padOrientation, ::KTX::Frame::Ref<::KTX::DieDes::DiePlaneBuilder>, 0x1A04001)                \
  A(7, m_padOffset, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1A04001)                              \
  A(8, m_dieCenterlineCoordinateSystem, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT>, 0x1A04001)           \
  A(9, m_length, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1A04001)                                 \
  A(10, m_width, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1A04001)                                 \
  A(11, m_height, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1A04001)                                \
  A(12, m_padThickness, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1A04001)                          \
  A(13, m_createFloor, ::KTX::Frame::Logical, 0x1)                                                    \
  A(14, m_floorThickness, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1A04001)                        \
  A(15, m_diameter, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1A04001)                              \
  A(16, m_xOffset, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1A04001)                               \
  A(17, m_yOffset, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1A04001)                               \
  A(18, m_reliefWidth, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1A04001)                           \
  A(19, m_reliefDepth, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1A04001)                           \
  A(20, m_usePercent, ::KTX::Frame::Logical, 0x1)                                                     \
  A(21, m_wallPercentage, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1A04001)                        \
  A(22, m_wallACreate, ::KTX::Frame::Logical, 0x1)                                                    \
  A(23, m_wallAThickness, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1A04001)                        \
  A(24, m_wallAOffset, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1A04001)                           \
  A(25, m_wallARelief, ::KTX::Frame::Logical, 0x1)                                                    \
  A(26, m_wallBCreate, ::KTX::Frame::Logical, 0x1)                                                    \
  A(27, m_wallBThickness, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1A04001)                        \
  A(28, m_wallBOffset, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1A04001)                           \
  A(29, m_wallBRelief, ::KTX::Frame::Logical, 0x1)                                                    \
  A(30, m_wallCCreate, ::KTX::Frame::Logical, 0x1)                                                    \
  A(31, m_wallCThickness, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1A04001)                        \
  A(32, m_wallCOffset, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1A04001)                           \
  A(33, m_wallCRelief, ::KTX::Frame::Logical, 0x1)                                                    \
  A(34, m_wallDCreate, ::KTX::Frame::Logical, 0x1)                                                    \
  A(35, m_wallDThickness, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1A04001)                        \
  A(36, m_wallDOffset, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1A04001)                           \
  A(37, m_wallDRelief, ::KTX::Frame::Logical, 0x1)                                                    \
  A(38, m_displayOptionalSelections, ::KTX::Frame::Logical, 0x1)                                      \
  A(39, m_padAttributes, ::KTX::Frame::Ref<::KTX::DieDes::DieAttributesBuilder>, 0x1A04001)           \
  A(40, m_reliefAttributes, ::KTX::Frame::Ref<::KTX::DieDes::DieAttributesBuilder>, 0x1A04001)        \
  A(41, m_holeAttributes, ::KTX::Frame::Ref<::KTX::DieDes::DieAttributesBuilder>, 0x1A04001)          \
  A(42, m_holeDiameterAttributes, ::KTX::Frame::Ref<::KTX::DieDes::DieAttributesBuilder>, 0x1A04001)  \
  A(43, m_distanceTolerance, ::KTX::Frame::Double, 0x1)                                               \
  A(44, m_angleTolerance, ::KTX::Frame::Double, 0x1)                                                  \
  A(45, m_type, ::KTX::Frame::Integer, 0x1)                                                           \
  A(46, m_targetData, ::KTX::Frame::Ref<::KTX::DieDes::HeelpostTarget>, 0x1A04001)

class STAMVIK_API HeelpostBuilder : public GenericBodyBuilder {
  STAMVIK_OM_CLASS(HeelpostBuilder, GenericBodyBuilder, "KTX::DieDesJA::HeelpostBuilder",
                   STAMVIK_HEELPOST_BUILDER_ATTRIBUTES)

 public:
  void InitCreate(CM_part* part, FEATURE_RECORD* frec);
  char* ask_journal_class_name() const override;
  int validate_nothrow() override;
  int commit_feature(FEATURE_RECORD** frec) override;
  int ConvertBuilderDataToFrec(FEATURE_RECORD* frec) override;
  // Hands the selected body to the target data, which then decide whether
  // the base plane is needed and may give the floor thickness.
  void Notify(OM::Object* changed) override;

  virtual JA_HEELPOST_BUILDER_types GetType() const;
  virtual void SetType(JA_HEELPOST_BUILDER_types type);
  // Loads the builder from the feature being edited.
  virtual void ConvertFrecToBuilderData(FEATURE_RECORD* frec);

  // The preview for the host's dialog, under the mark "Heelpost create
  // bodies": 0 with the bodies handed over (a host-allocated array the
  // caller owns), or a message number with nothing handed over. The caller
  // passes count 0 and bodies null.
  int CreateBodies(int* count, int** bodies) const;
  // The node tree the host's tool-body call reads: a parent ("Heelposts")
  // holding the tolerances and one child ("Heelpost") whose second record
  // holds the heel-post record with the four tags given. Null when the host
  // makes no tree.
  DIEDES_NODE_s* CreateApplStructure(tag_t location, tag_t padPlane, tag_t direction, tag_t csys) const;
  // Writes the heel-post record into the node's second record; raises
  // 3030438 when the walls it describes make no wall.
  void PopulateValuesInStucture(DIEDES_NODE_s* node) const;
  static void FreeApplStructure(DIEDES_NODE_s* node);

  bool GetCreateFloor() const { return m_createFloor; }
  void SetCreateFloor(bool create);
  bool GetUsePercent() const { return m_usePercent; }
  void SetUsePercent(bool use);
  bool GetWallACreate() const { return m_wallACreate; }
  void SetWallACreate(bool create);
  bool GetWallARelief() const { return m_wallARelief; }
  void SetWallARelief(bool relief);
  bool GetWallBCreate() const { return m_wallBCreate; }
  void SetWallBCreate(bool create);
  bool GetWallBRelief() const { return m_wallBRelief; }
  void SetWallBRelief(bool relief);
  bool GetWallCCreate() const { return m_wallCCreate; }
  void SetWallCCreate(bool create);
  bool GetWallCRelief() const { return m_wallCRelief; }
  void SetWallCRelief(bool relief);
  bool GetWallDCreate() const { return m_wallDCreate; }
  void SetWallDCreate(bool create);
  bool GetWallDRelief() const { return m_wallDRelief; }
  void SetWallDRelief(bool relief);
  bool GetDisplayOptionalSelections() const { return m_displayOptionalSelections; }
  void SetDisplayOptionalSelections(bool display);
  double GetDistanceTolerance() const { return m_distanceTolerance; }
  void SetDistanceTolerance(double tolerance);
  double GetAngleTolerance() const { return m_angleTolerance; }
  void SetAngleTolerance(double tolerance);

  SELECT_OBJECT* GetTarget() const { return m_target; }
  DieLocationBuilder* GetCenter() const { return m_center; }
  DieDes::DieDirectionBuilder* GetOffsetDirection() const { return m_offsetDirection; }
  EXP_expression* GetLocationOffset() const { return m_locationOffset; }
  DieDes::DiePlaneBuilder* GetBaseOrientation() const { return m_baseOrientation; }
  EXP_expression* GetBaseOffset() const { return m_baseOffset; }
  DieDes::DiePlaneBuilder* GetPadOrientation() const { return m_padOrientation; }
  EXP_expression* GetPadOffset() const { return m_padOffset; }
  SELECT_OBJECT* GetDieCenterlineCoordinateSystem() const { return m_dieCenterlineCoordinateSystem; }
  EXP_expression* GetLength() const { return m_length; }
  EXP_expression* GetWidth() const { return m_width; }
  EXP_expression* GetHeight() const { return m_height; }
  EXP_expression* GetPadThickness() const { return m_padThickness; }
  EXP_expression* GetFloorThickness() const { return m_floorThickness; }
  EXP_expression* GetDiameter() const { return m_diameter; }
  EXP_expression* GetXOffset() const { return m_xOffset; }
  EXP_expression* GetYOffset() const { return m_yOffset; }
  EXP_expression* GetReliefWidth() const { return m_reliefWidth; }
  EXP_expression* GetReliefDepth() const { return m_reliefDepth; }
  EXP_expression* GetWallPercentage() const { return m_wallPercentage; }
  EXP_expression* GetWallAThickness() const { return m_wallAThickness; }
  EXP_expression* GetWallAOffset() const { return m_wallAOffset; }
  EXP_expression* GetWallBThickness() const { return m_wallBThickness; }
  EXP_expression* GetWallBOffset() const { return m_wallBOffset; }
  EXP_expression* GetWallCThickness() const { return m_wallCThickness; }
  EXP_expression* GetWallCOffset() const { return m_wallCOffset; }
  EXP_expression* GetWallDThickness() const { return m_wallDThickness; }
  EXP_expression* GetWallDOffset() const { return m_wallDOffset; }
  DieDes::DieAttributesBuilder* GetPadAttributes() const { return m_padAttributes; }
  DieDes::DieAttributesBuilder* GetReliefAttributes() const { return m_reliefAttributes; }
  DieDes::DieAttributesBuilder* GetHoleAttributes() const { return m_holeAttributes; }
  DieDes::DieAttributesBuilder* GetHoleDiameterAttributes() const { return m_holeDiameterAttributes; }
  DieDes::HeelpostTarget* GetTargetData() const { return m_targetData; }

 private:
  int ToParms(DIEDES_GENERIC_BODY_PARMS* parms) override;
  void GetSelectedObjects(int* count, tag_t** tags) const override;

  // Used when a feature's values are read back into the builder.
  void SetLocationOffset(EXP_expression* expression);
  void SetBaseOffset(EXP_expression* expression);
  void SetPadOffset(EXP_expression* expression);
  void SetLength(EXP_expression* expression);
  void SetWidth(EXP_expression* expression);
  void SetHeight(EXP_expression* expression);
  void SetPadThickness(EXP_expression* expression);
  void SetFloorThickness(EXP_expression* expression);
  void SetDiameter(EXP_expression* expression);
  void SetXOffset(EXP_expression* expression);
  void SetYOffset(EXP_expression* expression);
  void SetReliefWidth(EXP_expression* expression);
  void SetReliefDepth(EXP_expression* expression);
  void SetWallPercentage(EXP_expression* expression);
  void SetWallAThickness(EXP_expression* expression);
  void SetWallAOffset(EXP_expression* expression);
  void SetWallBThickness(EXP_expression* expression);
  void SetWallBOffset(EXP_expression* expression);
  void SetWallCThickness(EXP_expression* expression);
  void SetWallCOffset(EXP_expression* expression);
  void SetWallDThickness(EXP_expression* expression);
  void SetWallDOffset(EXP_expression* expression);
};

STAMVIK_OM_CLASS_EXPORTS(HeelpostBuilder)
STAMVIK_OM_INSTANCE_SIZE_DECL(HeelpostBuilder)

class STAMVIK_API HeelpostBuilderFactory {
 public:
  static HeelpostBuilder* Create(CM_part* part, FEATURE_RECORD* frec);
};

}  // namespace KTX::DieDesJA
