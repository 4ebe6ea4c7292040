// The automotive-feature library's die-engineering parameter objects (rough
// data compensation of curves and of sheets, springback compensation), the
// body references and occurrences they name, and the feature-modelling calls
// that make, name, include and apply a feature record from parameters.
//
// Parameter objects are object-manager objects made in the work part and kept
// by it; plain values are fields (written after logging), lists lie in arrays
// made with the object, so undo restores them.
#pragma once
#include <string>

#include "afl/Parms.hpp"
#include "math/Point3.hpp"
#include "sys/Files.hpp"

namespace KTX {

// Message numbers of the die-engineering stand-in.
namespace DieEngMessage {
enum : int {
  kNoBodies = 840501,     // a body-reference request without its holder's parameters
  kNotAFile = 840502,     // CFI_ask_file_exist: no such file
};
}  // namespace DieEngMessage

// ---- body references -----------------------------------------------------------

// A reference to a model body, as features store their input bodies.
class KTX_HOST_API BREF_body_ref : public OM::TaggedObject {
  KTX_HOST_OBJECT(BREF_body_ref, "KTX::BREF_body_ref")
 public:
  tag_t ask_body() const { return body_; }

 protected:
  BREF_body_ref(int classId, void* context) : OM::TaggedObject(classId, context) {}

 private:
  friend KTX_HOST_API tag_t BREF_ask_bref_of_eidbody(tag_t body);
  tag_t body_;
};

// The reference of a body (made in the work part on first need, the same one
// afterwards); 0 for 0, or when answer "BREF_ask_bref_of_eidbody.none.<tag>"
// is not 0.
KTX_HOST_API tag_t BREF_ask_bref_of_eidbody(tag_t body);
// The body a reference names; 0 for 0 or an object that is no reference.
KTX_HOST_API tag_t BREF_ask_qdeid_of_bref(tag_t bref);
// Makes the kernel body the part's current target (logged).
KTX_HOST_API void BREF_set_current_target(CM_part* part, int kernelBody);
// The work part's modelling part (null without a work part).
KTX_HOST_API CM_part* CM__ask_current_part_ptr();

// What a parameter object's body-reference holder is asked with.
struct BREF_request_s {
  int mode;
  FEATURE_RECORD* frec;     // the feature the references belong to (null while creating)
  int options;
  double distanceTolerance;
  double angleTolerance;
};

class FEATURE_PARMS;

// The body references of one parameter object.
class KTX_HOST_API BREF_holder {
 public:
  explicit BREF_holder(FEATURE_PARMS* parms, OM::TagVla* brefs) : parms_(parms), brefs_(brefs) {}
  // Replaces the references by those of the bodies: 0, or a failure with
  // nothing changed. Scripted: the answer "BREF_holder::SetBodies" not 0.
  int SetBodies(const BREF_request_s* request, int count, const tag_t* bodies);
  // The bodies referenced, as a new array (SM_alloc; null when none) that the
  // caller frees with SM_free: 0 or a failure.
  int AskBodies(const BREF_request_s* request, int* count, tag_t** bodies) const;

 private:
  FEATURE_PARMS* parms_;
  OM::TagVla* brefs_;
};


// ---- the feature-modelling calls ---------------------------------------------------------

// A new feature record in the work part holding the parameters, which are
// told their record. Raises kNoParms without parameters; scripted: the answer
// "CM_create_frec_using_parms" not 0 is raised, nothing made.
KTX_HOST_API void CM_create_frec_using_parms(FEATURE_PARMS* parms, FEATURE_RECORD** frec);
// Puts the feature into the part's history / applies it: 0 or the scripted
// answer named after the call (nothing noted then).
KTX_HOST_API int CM_include_frec(FEATURE_RECORD* frec, bool apply);
KTX_HOST_API int CM_apply_frec(FEATURE_RECORD* frec, bool apply);
KTX_HOST_API void FREC_set_frec_version(FEATURE_RECORD* frec, int version);
// The name the feature is given: a new text (SM_alloc) that the caller frees:
// its parameters' class (without namespace) and the record's tag in brackets.
KTX_HOST_API void FMI_invoke_ask_name(const FEATURE_RECORD* frec, char** name);
// Recorded only.
KTX_HOST_API void UPDATE_check_empty_list();

// The message table's text of a number ("message N" for one it lacks).
KTX_HOST_API const char* ERROR_decode(int code);

}  // namespace KTX

namespace KTX::Diagnostic {
// One diagnostic for the user (recorded: code, text, the number of display
// objects, owner token, type).
KTX_HOST_API void LogDiagnostic(int code, const char* text, int displayCount, const tag_t* display, int ownerToken,
                                int type);
}  // namespace KTX::Diagnostic

namespace KTX::DieEng {

// Approximation qualities of a compensation: 0 Coarse, 1 Rough, 2 Fine, 3 Exact.
// The values every compensation shares.
class KTX_HOST_API CompensateRoughData : public FEATURE_PARMS {
  KTX_HOST_OBJECT(CompensateRoughData, "KTX::DieEng::CompensateRoughData")
 public:
  int GetApproximation() const { return approximation_; }
  void SetApproximation(int approximation);
  double GetDistanceTolerance() const { return distanceTolerance_; }
  void SetDistanceTolerance(double tolerance);
  double GetAngleTolerance() const { return angleTolerance_; }
  void SetAngleTolerance(double tolerance);
  double GetMaximumGap() const { return maximumGap_; }
  void SetMaximumGap(double gap);

 protected:
  CompensateRoughData(int classId, void* context) : FEATURE_PARMS(classId, context) {}

 private:
  int approximation_;
  double distanceTolerance_;
  double angleTolerance_;
  double maximumGap_;
};

class KTX_HOST_API CompensateRoughCurve : public CompensateRoughData {
  KTX_HOST_OBJECT(CompensateRoughCurve, "KTX::DieEng::CompensateRoughCurve")
 public:
  SC_section* GetCurveCollector() const;
  void SetCurveCollector(SC_section* section);
  // Null: no projection.
  SC_collector* GetProjectToFaces() const;
  void SetProjectToFaces(SC_collector* faces);
  bool GetJoinOutputCurves() const { return join_; }
  void SetJoinOutputCurves(bool join);

 protected:
  CompensateRoughCurve(int classId, void* context);
  ~CompensateRoughCurve() override;

 private:
  tag_t curves_;
  tag_t faces_;
  bool join_;
};

class KTX_HOST_API CompensateRoughSheet : public CompensateRoughData {
  KTX_HOST_OBJECT(CompensateRoughSheet, "KTX::DieEng::CompensateRoughSheet")
 public:
  BREF_holder GetBodyReferences() { return BREF_holder(this, brefs_); }
  const OM::TagVla* BodyReferences() const { return brefs_; }
  bool GetModifyInputSheet() const { return modify_; }
  void SetModifyInputSheet(bool modify);

 protected:
  CompensateRoughSheet(int classId, void* context);
  ~CompensateRoughSheet() override;

 private:
  OM::TagVla* brefs_;
  bool modify_;
};

class KTX_HOST_API SpringbackCompensation : public FEATURE_PARMS {
  KTX_HOST_OBJECT(SpringbackCompensation, "KTX::DieEng::SpringbackCompensation")
 public:
  // 0 OneStepFeature, 1 FacetedBodies, 2 Points.
  int GetDefinedBy() const { return definedBy_; }
  void SetDefinedBy(int definedBy);
  tag_t GetDrawVector() const { return drawVector_; }
  void SetDrawVector(tag_t vector);
  SC_section* GetInnerCurveCollector() const;
  void SetInnerCurveCollector(SC_section* section);
  SC_section* GetOuterCurveCollector() const;
  void SetOuterCurveCollector(SC_section* section);
  double GetShapeValue() const { return shapeValue_; }
  void SetShapeValue(double value);
  int GetResultType() const { return resultType_; }
  void SetResultType(int type);
  bool GetCreateFacets() const { return createFacets_; }
  void SetCreateFacets(bool create);
  double GetDeformationFactor() const { return deformationFactor_; }
  void SetDeformationFactor(double value);
  double GetSmoothingFactor() const { return smoothingFactor_; }
  void SetSmoothingFactor(double value);
  bool GetConvexityEnabled() const { return convexityEnabled_; }
  void SetConvexityEnabled(bool enabled);
  tag_t GetConvexityDirection() const { return convexityDirection_; }
  void SetConvexityDirection(tag_t direction);
  double GetStepSize() const { return stepSize_; }
  void SetStepSize(double value);
  // The degree itself (2, 3, 5, 7).
  int GetDegree() const { return degree_; }
  void SetDegree(int degree);
  int GetDivisions() const { return divisions_; }
  void SetDivisions(int divisions);
  bool GetCalculateMaxDeviation() const { return calculateMaxDeviation_; }
  void SetCalculateMaxDeviation(bool calculate);
  double GetDistanceTolerance() const { return distanceTolerance_; }
  void SetDistanceTolerance(double tolerance);
  double GetAngleTolerance() const { return angleTolerance_; }
  void SetAngleTolerance(double tolerance);
  bool GetIsGenericDeform() const { return genericDeform_; }
  void SetIsGenericDeform(bool generic);

  // The inputs: the one-step feature's record, the product sheet's body
  // reference, the two facet bodies, the two files and point lists.
  FEATURE_RECORD* GetOneStep() const;
  void SetOneStep(FEATURE_RECORD* frec);
  tag_t GetProductSheet() const { return productSheet_; }
  void SetProductSheet(tag_t bref);
  tag_t GetProductFacets() const { return productFacets_; }
  void SetProductFacets(tag_t facets);
  tag_t GetSprungFacets() const { return sprungFacets_; }
  void SetSprungFacets(tag_t facets);
  // Never null: "" when no name is held.
  const char* GetProductPointsFile() const;
  void SetProductPointsFile(const char* name);
  const char* GetSprungPointsFile() const;
  void SetSprungPointsFile(const char* name);
  int GetProductPointCount() const;
  void SetProductPointCount(int count);
  // n past the end raises the index error.
  void GetNthProductPoint(int n, Math::Point3& point) const;
  void SetNthProductPoint(int n, const Math::Point3& point);
  int GetSprungPointCount() const;
  void SetSprungPointCount(int count);
  void GetNthSprungPoint(int n, Math::Point3& point) const;
  void SetNthSprungPoint(int n, const Math::Point3& point);

 protected:
  SpringbackCompensation(int classId, void* context);
  ~SpringbackCompensation() override;

 private:
  int definedBy_;
  tag_t drawVector_;
  tag_t innerCurve_;
  tag_t outerCurve_;
  double shapeValue_;
  int resultType_;
  bool createFacets_;
  double deformationFactor_;
  double smoothingFactor_;
  bool convexityEnabled_;
  tag_t convexityDirection_;
  double stepSize_;
  int degree_;
  int divisions_;
  bool calculateMaxDeviation_;
  double distanceTolerance_;
  double angleTolerance_;
  bool genericDeform_;
  tag_t oneStep_;
  tag_t productSheet_;
  tag_t productFacets_;
  tag_t sprungFacets_;
  OM::StringVla* files_;  // product, sprung
  OM::DoubleVla* productPoints_;
  OM::DoubleVla* sprungPoints_;
};

class KTX_HOST_API CompensateRoughCurveFactory {
 public:
  static CompensateRoughCurve* Create();
};
class KTX_HOST_API CompensateRoughSheetFactory {
 public:
  static CompensateRoughSheet* Create();
};
class KTX_HOST_API SpringbackCompensationFactory {
 public:
  static SpringbackCompensation* Create();
};

}  // namespace KTX::DieEng
