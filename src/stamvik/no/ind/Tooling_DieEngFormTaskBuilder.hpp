// A form task of die engineering: die tip, region, shape details, cam
// direction and finishing flag, moved into and out of the feature's own
// application record.
#pragma once
#include "ClassFrame.hpp"
#include "InputChecks.hpp"
#include "afl/DieEngineering.hpp"
#include "feat/Builder.hpp"
#include "sel/Selection.hpp"
#include "sys/UString.hpp"

namespace KTX::Tooling {

// Fields in object order; the attribute indexes say their persistent identity.
#define STAMVIK_DIE_ENG_FORM_TASK_BUILDER_ATTRIBUTES(A)                                 \
  A(0, m_dieTip, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT>, 0x804001)                     \
  A(1, m_regionBounds, ::KTX::Frame::Ref<::KTX::SC_collector>, 0x404001)                \
  A(4, m_shapeDetail, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT_list>, 0x804001)           \
  A(5, m_details, ::KTX::Frame::UStringArray, 0x10000201)                               \
  A(7, m_frmtskStruct, ::KTX::Frame::Struct<::KTX::DIE_FRMTSK_s>, 0x1)                  \
  A(2, m_pointInRegion, ::KTX::Frame::Tag, 0x404001)                                    \
  A(3, m_camDirection, ::KTX::Frame::Tag, 0x404001)                                     \
  A(6, m_finishOperation, ::KTX::Frame::Logical, 0x1)

class STAMVIK_API DieEngFormTaskBuilder : public JAX_FEAT_BUILDER {
  STAMVIK_OM_CLASS(DieEngFormTaskBuilder, JAX_FEAT_BUILDER, "KTX::Tooling::DieEngFormTaskBuilder",
                   STAMVIK_DIE_ENG_FORM_TASK_BUILDER_ATTRIBUTES)

 public:
  void InitCreate(CM_part* part, FEATURE_RECORD* frec);
  char* ask_journal_class_name() const override;
  // The host always finds a form task valid.
  int validate_nothrow() override { return Stamvik::CheckInputs(this); }
  int commit_feature(FEATURE_RECORD** frec) override;

  // Fills the record from the builder.
  virtual void AskApplicationData(DIE_FRMTSK_s* record);
  virtual void ConvertFrecToBuilderData(FEATURE_RECORD* frec);
  // Frees what the record holds (not the record); null does nothing.
  virtual void FreeApplicationData(DIE_FRMTSK_s* record);

  SELECT_OBJECT* GetDieTip() const { return m_dieTip; }
  SC_collector* GetRegionBounds() const { return m_regionBounds; }
  void SetRegionBounds(SC_collector* bounds);
  SELECT_OBJECT_list* GetShapeDetail() const { return m_shapeDetail; }
  tag_t GetPointInRegion() const { return m_pointInRegion; }
  void SetPointInRegion(tag_t point);
  tag_t GetCamDirection() const { return m_camDirection; }
  void SetCamDirection(tag_t direction);
  bool GetFinishOperation() const { return m_finishOperation; }
  void SetFinishOperation(bool finish);
  DIE_FRMTSK_s* GetFrmtskStruct() const { return m_frmtskStruct; }
  void SetFrmtskStruct(DIE_FRMTSK_s* record);

  int GetNumDetails() const;
  void SetNumDetails(int count);
  UString GetNthValueInDetails(int n) const;
  void SetNthValueInDetails(int n, const UString& line);

 private:
  // The commit inside the one commit path.
  int CommitTask(FEATURE_RECORD** frec);
  // A new record with the two defaults blocks filled.
  static DIE_FRMTSK_s* NewRecord();
  // The builder's record from now on (the one it held before goes).
  void HoldRecord(DIE_FRMTSK_s* record);
};

STAMVIK_OM_CLASS_EXPORTS(DieEngFormTaskBuilder)
STAMVIK_OM_INSTANCE_SIZE_DECL(DieEngFormTaskBuilder)

class STAMVIK_API DieEngFormTaskBuilderFactory {
 public:
  static DieEngFormTaskBuilder* Create(CM_part* part, FEATURE_RECORD* frec);
};

}  // namespace KTX::Tooling
