// The modelling-builders library's curve builders: join curves, offset a
// curve, project curves onto a plane. Each gathers its inputs in a section
// (selection rules) and settings, and its commit makes or edits a curve
// feature whose parameters hold that section and the curves it made.
// Scripted: the answer "ModlCurveJA.commit" not 0 makes a commit fail with
// that number (nothing made or changed); "ModlCurveJA.nocurve" not 0 makes
// it succeed without a curve.
#pragma once
#include <vector>

#include "afl/Parms.hpp"
#include "exp/Expression.hpp"
#include "feat/Builder.hpp"
#include "sel/Selection.hpp"

namespace KTX {

// The parameters of a curve feature: the section of its inputs and the curves
// it made, both destroyed with it, and the settings an editing builder starts
// from (an offset's distance, a projection's plane).
class KTX_HOST_API CRV_feature_parms : public FEATURE_PARMS {
  KTX_HOST_OBJECT(CRV_feature_parms, "KTX::CRV_feature_parms")
 public:
  SC_section* ask_section() const;
  void set_section(SC_section* section);
  std::vector<tag_t> ask_curves() const;
  // Replaces the curves, destroying those no longer held.
  void set_curves(const std::vector<tag_t>& curves);
  double ask_distance() const { return distance_; }
  void set_distance(double distance);
  tag_t ask_plane() const { return plane_; }
  void set_plane(tag_t plane);
  void cascade_destroy() override;

 protected:
  CRV_feature_parms(int classId, void* context);
  ~CRV_feature_parms() override;

 private:
  tag_t section_;
  OM::TagVla* curves_;
  double distance_;
  tag_t plane_;
};

#define KTX_CURVE_PARMS(Class)                                                 \
  class KTX_HOST_API Class : public CRV_feature_parms {                        \
    KTX_HOST_OBJECT(Class, "KTX::" #Class)                                     \
   protected:                                                                  \
    Class(int classId, void* context) : CRV_feature_parms(classId, context) {} \
  };
KTX_CURVE_PARMS(CRV_JOIN_feature_parms)
KTX_CURVE_PARMS(CRV_OFFSET_feature_parms)
KTX_CURVE_PARMS(CRV_PROJECT_feature_parms)
#undef KTX_CURVE_PARMS

// The curves of a curve feature: a new array (SM_alloc; null when none). 0, or
// kNotAFeature (tool/Tooling.hpp) for a tag that names no feature. For a
// feature of another kind the stand-in knows no curves: it gives the one
// scripted by the answer "FREC_collect_all_dcurve.curve", or none.
KTX_HOST_API int FREC_collect_all_dcurve(tag_t frec, int* count, tag_t** curves);

}  // namespace KTX

namespace KTX::ModlCurveJA {

// Settings a curve builder keeps in sub-objects of its own (each write logged).
class KTX_HOST_API CurveOptions : public OM::TaggedObject {
  KTX_HOST_OBJECT(CurveOptions, "KTX::ModlCurveJA::CurveOptions")
 public:
  int GetAssociative() const { return associative_; }
  void SetAssociative(int value);
  int GetInputCurvesOption() const { return inputCurves_; }
  void SetInputCurvesOption(int value);
  int GetTrimOption() const { return trim_; }
  void SetTrimOption(int value);
  int GetProjectDirectionMethod() const { return direction_; }
  void SetProjectDirectionMethod(int value);

 protected:
  CurveOptions(int classId, void* context) : OM::TaggedObject(classId, context) {}

 private:
  int associative_;
  int inputCurves_;
  int trim_;
  int direction_;
};

// What the three builders share: the section of inputs, the output options,
// the tolerances, the commit. Editing, the section is the feature's own.
class KTX_HOST_API CurveFeatureBuilder : public JAX_FEAT_BUILDER {
 public:
  SC_section* GetSection() const;
  CurveOptions* GetOutputOptions() const;
  double GetDistanceTolerance() const { return distanceTolerance_; }
  void SetDistanceTolerance(double value);
  double GetAngleTolerance() const { return angleTolerance_; }
  void SetAngleTolerance(double value);
  double GetTolerance() const { return tolerance_; }
  void SetTolerance(double value);
  int commit_feature(FEATURE_RECORD** frec) override;
  void cascade_destroy() override;
  // Sets the builder up in the part, on the feature's parameters when editing
  // (the factories' step).
  void Start(CM_part* part, FEATURE_RECORD* frec, CRV_feature_parms* parms);

 protected:
  CurveFeatureBuilder(int classId, void* context) : JAX_FEAT_BUILDER(classId, context) {}
  // The curves the feature makes from the section's entities: 0, or a message number.
  virtual int MakeCurves(const std::vector<tag_t>& inputs, std::vector<tag_t>* curves) = 0;
  virtual CRV_feature_parms* MakeParms() = 0;
  // Keeps in the feature's parameters the settings an editing builder starts from.
  virtual void KeepSettings(CRV_feature_parms*) {}

 private:
  tag_t section_;
  bool ownsSection_;
  tag_t outputOptions_;
  double distanceTolerance_;
  double angleTolerance_;
  double tolerance_;
};

class KTX_HOST_API JoinCurvesBuilder : public CurveFeatureBuilder {
  KTX_HOST_OBJECT(JoinCurvesBuilder, "KTX::ModlCurveJA::JoinCurvesBuilder")
 public:
  char* ask_journal_class_name() const override;
  // The join's shape (written after the caller logged the builder).
  int GetJoinType() const { return joinType_; }
  void SetJoinType(int type) { joinType_ = type; }

 protected:
  JoinCurvesBuilder(int classId, void* context) : CurveFeatureBuilder(classId, context) {}
  // One curve through the inputs, chained by their end points.
  int MakeCurves(const std::vector<tag_t>& inputs, std::vector<tag_t>* curves) override;
  CRV_feature_parms* MakeParms() override;

 private:
  friend class JoinCurvesBuilderFactory;
  int joinType_;
};

class KTX_HOST_API OffsetCurveBuilder : public CurveFeatureBuilder {
  KTX_HOST_OBJECT(OffsetCurveBuilder, "KTX::ModlCurveJA::OffsetCurveBuilder")
 public:
  char* ask_journal_class_name() const override;
  // The number of copies is kept within these limits (1 to 999).
  static constexpr int kFewestCopies = 1, kMostCopies = 999;
  static constexpr int kCopiesOutOfRange = 841201;
  int GetOffsetType() const { return offsetType_; }
  void SetOffsetType(int type);
  int GetNumberOfCopies() const { return copies_; }
  // 0, or kCopiesOutOfRange with nothing changed.
  int SetNumberOfCopies(int copies);
  int GetGapFill() const { return gapFill_; }
  void SetGapFill(int option);
  bool GetTrimInputCurves() const { return trimInput_; }
  void SetTrimInputCurves(bool trim);
  CurveOptions* GetTrimOptions() const;
  EXP_expression* GetDistance() const;
  // The unit direction the offset goes: in the plane of the first input
  // curve's first two segments (the XY plane for a straight curve), square to
  // its first segment, reversed with the reverse flag. Zero without a curve.
  void AskOffsetDirection(double direction[3]) const;
  bool GetReverseDirection() const { return reverse_; }
  void SetReverseDirection(bool reverse) { reverse_ = reverse; }  // the caller logs
  void cascade_destroy() override;

 protected:
  OffsetCurveBuilder(int classId, void* context) : CurveFeatureBuilder(classId, context) {}
  // Each input moved by the distance along the offset direction.
  int MakeCurves(const std::vector<tag_t>& inputs, std::vector<tag_t>* curves) override;
  CRV_feature_parms* MakeParms() override;
  void KeepSettings(CRV_feature_parms* parms) override;

 private:
  friend class OffsetCurveBuilderFactory;
  int offsetType_;
  int copies_;
  int gapFill_;
  bool trimInput_;
  bool reverse_;
  tag_t trimOptions_;
  tag_t distance_;
};

class KTX_HOST_API ProjectCurveBuilder : public CurveFeatureBuilder {
  KTX_HOST_OBJECT(ProjectCurveBuilder, "KTX::ModlCurveJA::ProjectCurveBuilder")
 public:
  char* ask_journal_class_name() const override;
  tag_t GetPlane() const { return plane_; }
  void SetPlaneOnTheFly(tag_t plane);
  int GetProjectOption() const { return projectOption_; }
  void SetProjectOption(int option);
  // The flag and tolerance written after the caller logged the builder.
  bool GetKeepInput() const { return keepInput_; }
  void SetKeepInput(bool keep) { keepInput_ = keep; }
  double GetChainingTolerance() const { return chaining_; }
  void SetChainingTolerance(double value) { chaining_ = value; }
  CurveOptions* GetProjectionOptions() const;
  void cascade_destroy() override;

 protected:
  ProjectCurveBuilder(int classId, void* context) : CurveFeatureBuilder(classId, context) {}
  // Each input's points moved along the plane's normal onto the plane;
  // kNoEntity (geom/Geometry.hpp) without a plane.
  int MakeCurves(const std::vector<tag_t>& inputs, std::vector<tag_t>* curves) override;
  CRV_feature_parms* MakeParms() override;
  void KeepSettings(CRV_feature_parms* parms) override;

 private:
  friend class ProjectCurveBuilderFactory;
  tag_t plane_;
  int projectOption_;
  bool keepInput_;
  double chaining_;
  tag_t projection_;
};

// Each makes the builder in the model part's part, for a new feature (null)
// or to edit the feature, whose parameters must be of the builder's kind
// (null otherwise).
class KTX_HOST_API JoinCurvesBuilderFactory {
 public:
  static JoinCurvesBuilder* Create(CM_part* part, FEATURE_RECORD* frec);
};
class KTX_HOST_API OffsetCurveBuilderFactory {
 public:
  static OffsetCurveBuilder* Create(CM_part* part, FEATURE_RECORD* frec);
};
class KTX_HOST_API ProjectCurveBuilderFactory {
 public:
  static ProjectCurveBuilder* Create(CM_part* part, FEATURE_RECORD* frec);
};

}  // namespace KTX::ModlCurveJA
