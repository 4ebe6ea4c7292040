// One stretch of a draw bead: its start and end on the bead's path and the
// bead's cross-section along it.
#pragma once
#include "ClassFrame.hpp"
#include "DieEngJA_DrawBeadBuilder.hpp"
#include "feat/Builder.hpp"
#include "sel/Selection.hpp"

namespace KTX {
class DIEDES_GEN_C_DRBD_SEG_PARMS;
}

namespace KTX::DieEngJA {

// A segment's whole definition: its start and end position expressions, its
// female radii, symmetry, flow, width type and the ten male expressions
// (left width, left top radius, left sheet radius, left wall angle, right
// width, right top radius, right sheet radius, right wall angle, bead height,
// transition length).
struct DrawBeadSegmentData {
  EXP_expression* start = nullptr;
  EXP_expression* end = nullptr;
  EXP_expression* femaleLeftRadius = nullptr;
  EXP_expression* femaleRightRadius = nullptr;
  bool symmetry = false;
  bool flow = false;
  int widthType = 0;
  EXP_expression* male[10] = {};
};

enum JA_DRAW_BEAD_SEGMENT_BUILDER_MaleBeadWidthTypes : int {
  JA_DRAW_BEAD_SEGMENT_BUILDER_MaleBeadWidthTypes_Constant = 0,
  JA_DRAW_BEAD_SEGMENT_BUILDER_MaleBeadWidthTypes_Derived = 1,
};

// A segment is not validated until it observes its locations.
#define STAMVIK_DRAW_BEAD_SEGMENT_BUILDER_ATTRIBUTES(A)                                          \
  A(0, m_startLocation, ::KTX::Frame::Ref<::KTX::OnPathDimBuilder>, 0x804001)                    \
  A(1, m_endLocation, ::KTX::Frame::Ref<::KTX::OnPathDimBuilder>, 0x804001)                      \
  A(2, m_femaleLeftRadius, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x804001)                   \
  A(3, m_femaleRightRadius, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x804001)                  \
  A(4, m_symmetry, ::KTX::Frame::Logical, 0x1)                                                   \
  A(5, m_flow, ::KTX::Frame::Logical, 0x1)                                                       \
  A(6, m_maleBeadWidthType, ::KTX::Frame::Integer, 0x1)                                          \
  A(7, m_maleLeftWidth, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x804001)                      \
  A(8, m_maleLeftTopRadius, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x804001)                  \
  A(9, m_maleLeftSheetRadius, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x804001)                \
  A(10, m_maleLeftWallAngle, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x804001)                 \
  A(11, m_maleRightWidth, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x804001)                    \
  A(12, m_maleRightTopRadius, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x804001)                \
  A(13, m_maleRightSheetRadius, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x804001)              \
  A(14, m_maleRightWallAngle, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x804001)                \
  A(15, m_maleBeadHeight, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x804001)                    \
  A(16, m_maleTransitionLength, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x804001)              \
  A(17, m_segmentClearance, ::KTX::Frame::Double, 0x1)                                           \
  A(18, m_changesPending, ::KTX::Frame::Logical, 0x1)                                            \
  A(19, m_temporaryPath, ::KTX::Frame::Tag, 0x804001)                                            \
  A(20, m_temporaryStartPoint, ::KTX::Frame::Tag, 0x804001)                                      \
  A(21, m_temporaryEndPoint, ::KTX::Frame::Tag, 0x804001)                                        \
  A(22, m_myParentDrawBeadBuilder, ::KTX::Frame::Ref<::KTX::DieEngJA::DrawBeadBuilder>, 0x1)     \
  A(23, m_skipValidate, ::KTX::Frame::LogicalStarting<true>, 0x1)

class STAMVIK_API DrawBeadSegmentBuilder : public JAX_BUILDER {
  STAMVIK_OM_CLASS(DrawBeadSegmentBuilder, JAX_BUILDER, "KTX::DieEngJA::DrawBeadSegmentBuilder",
                   STAMVIK_DRAW_BEAD_SEGMENT_BUILDER_ATTRIBUTES)

 public:
  void InitCreate(DrawBeadBuilder* bead, FEATURE_RECORD* frec);
  char* ask_journal_class_name() const override;
  // A segment makes nothing of its own; the bead writes it into its record.
  int commit() override;
  // The segment's temporary line goes with it.
  void destroy() override;
  void cascade_destroy() override;
  int validate_nothrow() override;
  // A moved start or end keeps the gap to the segment's other end and to its
  // neighbours.
  void Notify(OM::Object* changed) override;

  // Starts one clearance after the segment before it in the bead's list ends,
  // on that segment's path.
  virtual void SetPathUsingLastSegmentPath();
  // Writes the segment into its record: 0, or the host's failure.
  virtual int ToParms(DIEDES_GEN_C_DRBD_SEG_PARMS* parms);
  virtual void FromParms(DIEDES_GEN_C_DRBD_SEG_PARMS* parms);

  void GetData(DrawBeadSegmentData* data) const;
  void SetData(const DrawBeadSegmentData& data);
  // The path selected on the start (0) or end (other) location; 0 when that
  // is the segment's own temporary line.
  tag_t GetUserPath(int which) const;
  void GetStartOrigin(double point[3]) const;
  // Puts both locations on the path (0: the temporary line). A length beyond
  // the path's end is kept: a path made shorter while its inputs come in one
  // at a time may be long again by the commit.
  void SetNewPath(tag_t path);
  // Pulls a length beyond the path's end back to it, and a place before its
  // start to 0 (its value given in `beforeStart`, start and end, else 0), the
  // neighbours left as they are: the commit's fit of the segment to the path
  // it builds. 0, or the first failure of writing a position.
  int FitToPath(double beforeStart[2]);
  // Places start and end at path parameters on [0, 1]: 0, or the first
  // failure of writing them.
  int UpdateStartAndEndByParameter(double start, double end);
  // The warning of top radii too small for a machined taper bead, else 0.
  int GetTopRadiusCode() const;

  // The neighbour rules (run on the next and previous segment): a start only
  // moves forward, an end only backward. 0, or the failure of the write.
  int NotifyPushStartValue(double length, double percent);
  int NotifyPushEndValue(double length, double percent);
  // Writes a position into the start (0) or end (other) location's value
  // expression: 0, or the message number of the failure.
  int NotifySetExpressionValue(int which, double value);

  bool GetSymmetry() const { return m_symmetry; }
  void SetSymmetry(bool symmetry);
  bool GetFlow() const { return m_flow; }
  void SetFlow(bool flow);
  JA_DRAW_BEAD_SEGMENT_BUILDER_MaleBeadWidthTypes GetMaleBeadWidthType() const {
    return static_cast<JA_DRAW_BEAD_SEGMENT_BUILDER_MaleBeadWidthTypes>(m_maleBeadWidthType);
  }
  void SetMaleBeadWidthType(JA_DRAW_BEAD_SEGMENT_BUILDER_MaleBeadWidthTypes type);
  bool GetChangesPending() const { return m_changesPending; }
  void SetChangesPending(bool pending);
  bool GetSkipValidate() const { return m_skipValidate; }
  void SetSkipValidate(bool skip);
  double GetSegmentClearance() const { return m_segmentClearance; }
  void SetSegmentClearance(double clearance);

  OnPathDimBuilder* GetStartLocation() const { return m_startLocation; }
  OnPathDimBuilder* GetEndLocation() const { return m_endLocation; }
  EXP_expression* GetFemaleLeftRadius() const { return m_femaleLeftRadius; }
  EXP_expression* GetFemaleRightRadius() const { return m_femaleRightRadius; }
  EXP_expression* GetMaleLeftWidth() const { return m_maleLeftWidth; }
  EXP_expression* GetMaleLeftTopRadius() const { return m_maleLeftTopRadius; }
  EXP_expression* GetMaleLeftSheetRadius() const { return m_maleLeftSheetRadius; }
  EXP_expression* GetMaleLeftWallAngle() const { return m_maleLeftWallAngle; }
  EXP_expression* GetMaleRightWidth() const { return m_maleRightWidth; }
  EXP_expression* GetMaleRightTopRadius() const { return m_maleRightTopRadius; }
  EXP_expression* GetMaleRightSheetRadius() const { return m_maleRightSheetRadius; }
  EXP_expression* GetMaleRightWallAngle() const { return m_maleRightWallAngle; }
  EXP_expression* GetMaleBeadHeight() const { return m_maleBeadHeight; }
  EXP_expression* GetMaleTransitionLength() const { return m_maleTransitionLength; }

  tag_t GetTemporaryPath() const { return m_temporaryPath; }
  void SetTemporaryPath(tag_t path);
  tag_t GetTemporaryStartPoint() const { return m_temporaryStartPoint; }
  void SetTemporaryStartPoint(tag_t point);
  tag_t GetTemporaryEndPoint() const { return m_temporaryEndPoint; }
  void SetTemporaryEndPoint(tag_t point);
  DrawBeadBuilder* GetParentDrawBeadBuilder() const { return m_myParentDrawBeadBuilder; }
  void SetParentDrawBeadBuilder(DrawBeadBuilder* bead);

  // What the segment asks of its bead; 0 without one.
  bool GetTaperBead() const;
  int GetDefinitionType() const;
  int GetFemaleWidthOption() const;
  // A derived female width leaves the male width to be given as a constant.
  void SetFemaleWidthOption(int option);

  void AddParentObservers();
  void RemoveParentObservers();

 private:
  void NotifyUpdateNextSegment();
  void NotifyUpdatePreviousSegment();
  // The least gap between start and end, as a length or on the 0-100 scale.
  double GetToleranceAsPathLength() const;
  double GetToleranceAsPathPercent() const;
  // A new temporary line, or 0.
  static tag_t MakeTemporaryPath();
  double DistanceTolerance() const;
};

STAMVIK_OM_CLASS_EXPORTS(DrawBeadSegmentBuilder)
STAMVIK_OM_INSTANCE_SIZE_DECL(DrawBeadSegmentBuilder)

class STAMVIK_API DrawBeadSegmentBuilderFactory {
 public:
  static DrawBeadSegmentBuilder* Create(DrawBeadBuilder* bead, FEATURE_RECORD* frec);
};

}  // namespace KTX::DieEngJA
