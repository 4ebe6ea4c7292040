// The host's modelling builders as plug-ins reach them: scripting interfaces
// fetched by class name through KTX::JAM::ClassInitializer ("Features.
// FeatureCollection", "Features.ExtrudeBuilder", "Features.ChamferBuilder",
// "Features.FeatureBuilder", "Features.Feature", "Builder", "Expression" and
// the geometric utilities "GeometricUtilities.Limits", ".Extend" and
// ".FeatureOffset"). Each call is written to the call log under the
// interface's name with its place and arguments; a test scripts a failure of
// any of them with the answer "<interface>.<place>" (nothing is done then).
//
// The builders hold real values: an editing builder starts from what its
// feature was made with (ExtrudeValues, ChamferValues), and committing it
// through "Features.FeatureBuilder" or "Builder" makes (or updates) the
// feature and keeps its values.
#pragma once
#include <string>

#include "feat/Builder.hpp"
#include "jam/InterfacePlaces.hpp"
#include "jam/Jam.hpp"

namespace KTX {

// What an extrude feature was made with: each limit's extend type (0 a value,
// 2 until a selected object), its value text and object; the feature offset's
// option and its two texts.
struct ExtrudeValues {
  tag_t section = 0;    // the profile (kept with the feature for its edits)
  tag_t direction = 0;  // a direction entity
  int bodyType = 0;     // 0 solid, 1 sheet
  int draftOption = 0;
  std::string draftAngle = "0";
  int booleanType = 0;
  tag_t booleanTarget = 0;
  int startType = 0;
  std::string startValue = "0";
  tag_t startObject = 0;
  int endType = 0;
  std::string endValue = "0";
  tag_t endObject = 0;
  int offsetOption = 0;
  std::string startOffset = "0";
  std::string endOffset = "0";
};

// What a chamfer feature was made with: its two offsets and its angle as texts.
struct ChamferValues {
  std::string firstOffset = "0";
  std::string secondOffset = "0";
  std::string angle = "45";
  int option = 0;
  int offsetMethod = 0;
  bool firstFlag = false;
  bool secondFlag = false;
  tag_t edges = 0;  // the edge collector
};

// A builder of one of the host's own modelling features (extrude or chamfer),
// new or editing one feature. Its sub-objects (limits, their two extends, the
// feature offset, the expressions) are made with it and destroyed with it.
class KTX_HOST_API ModelingFeatureBuilder : public JAX_BUILDER {
  KTX_HOST_OBJECT(ModelingFeatureBuilder, "KTX::ModelingFeatureBuilder")
 public:
  static constexpr int kExtrude = 1, kChamfer = 2;
  // An extent until an object that does not lie across the whole swept section.
  static constexpr int kObjectNotReached = 841301;
  // An extrusion's direction of no length (or no number), which the
  // direction collection refuses to make.
  static constexpr int kZeroDirection = 841303;
  static ModelingFeatureBuilder* Make(int kind, tag_t feature);
  char* ask_journal_class_name() const override;
  int commit() override;  // makes or updates the feature; see ask_feature
  void cascade_destroy() override;
  int ask_kind() const { return kind_; }
  tag_t ask_feature() const { return feature_; }
  tag_t ask_limits() const { return limits_; }
  tag_t ask_feature_offset() const { return offset_; }
  tag_t ask_first_offset() const { return firstOffset_; }
  tag_t ask_second_offset() const { return secondOffset_; }
  tag_t ask_angle() const { return angle_; }
  tag_t ask_draft_angle() const { return draftAngle_; }
  // What the scripting interfaces set (each logged for undo).
  ExtrudeValues& extrude_settings();
  ChamferValues& chamfer_settings();
  void set_tolerance(double tolerance);

 protected:
  ModelingFeatureBuilder(int classId, void* context) : JAX_BUILDER(classId, context) {}
  ~ModelingFeatureBuilder() override;

 private:
  // Makes the feature's body again from what the builder holds: 0, or the
  // modeller's failure (nothing changed).
  int make_body(FEATURE_RECORD* feature, const ExtrudeValues& values);
  int kind_;
  tag_t feature_;
  ExtrudeValues* extrude_;  // the settings other than the sub-objects' own
  ChamferValues* chamfer_;
  double tolerance_;
  tag_t limits_;        // extrude: GeometricLimits
  tag_t offset_;        // extrude: GeometricFeatureOffset
  tag_t firstOffset_;   // chamfer: expressions
  tag_t secondOffset_;
  tag_t angle_;
  tag_t draftAngle_;        // extrude: an expression
};

// An extrude's two limits, each a GeometricExtend.
class KTX_HOST_API GeometricLimits : public OM::TaggedObject {
  KTX_HOST_OBJECT(GeometricLimits, "KTX::GeometricLimits")
 public:
  tag_t start;
  tag_t end;

 protected:
  GeometricLimits(int classId, void* context) : OM::TaggedObject(classId, context) {}
};

// One limit: its extend type, its value (an expression) and the object it
// trims to.
class KTX_HOST_API GeometricExtend : public OM::TaggedObject {
  KTX_HOST_OBJECT(GeometricExtend, "KTX::GeometricExtend")
 public:
  int type;
  tag_t value;
  tag_t object;

 protected:
  GeometricExtend(int classId, void* context) : OM::TaggedObject(classId, context) {}
};

// An extrude's feature offset: its option and two expressions.
class KTX_HOST_API GeometricFeatureOffset : public OM::TaggedObject {
  KTX_HOST_OBJECT(GeometricFeatureOffset, "KTX::GeometricFeatureOffset")
 public:
  int option;
  tag_t start;
  tag_t end;

 protected:
  GeometricFeatureOffset(int classId, void* context) : OM::TaggedObject(classId, context) {}
};

namespace JAM {

// Writes a scripting-interface call to the call log ("operation=N" and the
// arguments) and gives its scripted failure, the answer "<interface>.<place>"
// (0 when none).
KTX_HOST_API int RecordInterfaceCall(const char* interface, int place, const std::string& args);

// 3, 4 and 5 make a chamfer, a trim-body or an extrude builder in the work
// part, for the feature (0: a new one); 141 places features in the part's feature order
// before (mode 1) or after (mode 2) a reference feature.
class KTX_HOST_API FeatureCollection_Interface : public IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  KTX_HOLD_PLACE(1) KTX_HOLD_PLACE(2)
  virtual int CreateChamferBuilder(tag_t feature, tag_t* builder) = 0;  // 3
  virtual int CreateTrimBody2Builder(tag_t feature, tag_t* builder) = 0;  // 4
  virtual int CreateExtrudeBuilder(tag_t feature, tag_t* builder) = 0;  // 5
  KTX_HOLD_PLACE(6) KTX_HOLD_PLACE(7) KTX_HOLD_PLACE(8) KTX_HOLD_PLACE(9)
  KTX_HOLD_TEN(1) KTX_HOLD_TEN(2) KTX_HOLD_TEN(3) KTX_HOLD_TEN(4) KTX_HOLD_TEN(5) KTX_HOLD_TEN(6)
  KTX_HOLD_TEN(7) KTX_HOLD_TEN(8) KTX_HOLD_TEN(9) KTX_HOLD_TEN(10) KTX_HOLD_TEN(11) KTX_HOLD_TEN(12)
  KTX_HOLD_TEN(13) KTX_HOLD_PLACE(140)
  // 141: every feature and the reference must be alive; mode 1 or 2.
  virtual int PlaceFeatures(tag_t part, const tag_t* features, int count, tag_t reference, int mode) = 0;

 protected:
  FeatureCollection_Interface() = default;
  ~FeatureCollection_Interface() = default;
};

// An extrude builder's feature offset (15) and limits (16).
// 1/2 its section, 3/4 its direction (a direction entity), 5 the body type of
// its feature options (0 solid, 1 sheet), 6 the draft option, 7 the draft
// angle expression, 8 the boolean (type and target), 9 the point and vector
// of the offset side: the first point of the profile's first curve and the
// direction crossed with that curve's first segment (unit), which is where a
// positive offset goes.
class KTX_HOST_API ExtrudeBuilder_Interface : public IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  virtual int Section(tag_t builder, tag_t* section) = 0;                          // 1
  virtual int SetSection(tag_t builder, tag_t section) = 0;                        // 2
  virtual int Direction(tag_t builder, tag_t* direction) = 0;                      // 3
  virtual int SetDirection(tag_t builder, tag_t direction) = 0;                    // 4
  virtual int SetBodyType(tag_t builder, int type) = 0;                            // 5
  virtual int SetDraftOption(tag_t builder, int option) = 0;                       // 6
  virtual int DraftAngle(tag_t builder, tag_t* expression) = 0;                    // 7
  virtual int SetBoolean(tag_t builder, int type, tag_t target) = 0;               // 8
  virtual int PointAndVector(tag_t builder, double point[3], double vector[3]) = 0;  // 9
  KTX_HOLD_PLACE(10) KTX_HOLD_PLACE(11) KTX_HOLD_PLACE(12) KTX_HOLD_PLACE(13) KTX_HOLD_PLACE(14)
  virtual int FeatureOffset(tag_t builder, tag_t* offset) = 0;  // 15
  virtual int Limits(tag_t builder, tag_t* limits) = 0;         // 16

 protected:
  ExtrudeBuilder_Interface() = default;
  ~ExtrudeBuilder_Interface() = default;
};

// The start (3) and end (4) extend of an extrude's limits.
class KTX_HOST_API Limits_Interface : public IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  KTX_HOLD_PLACE(1) KTX_HOLD_PLACE(2)
  virtual int StartExtend(tag_t limits, tag_t* extend) = 0;  // 3
  virtual int EndExtend(tag_t limits, tag_t* extend) = 0;    // 4

 protected:
  Limits_Interface() = default;
  ~Limits_Interface() = default;
};

// An extend's value expression (5) and the object it trims to (6).
class KTX_HOST_API Extend_Interface : public IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  KTX_HOLD_PLACE(1) KTX_HOLD_PLACE(2)
  virtual int SetType(tag_t extend, int type) = 0;                 // 3: 0 a value, 2 until an object
  virtual int SetTrimmingObject(tag_t extend, tag_t object) = 0;   // 4
  virtual int Value(tag_t extend, tag_t* expression) = 0;        // 5
  virtual int TrimmingObject(tag_t extend, tag_t* object) = 0;   // 6

 protected:
  Extend_Interface() = default;
  ~Extend_Interface() = default;
};

// A feature offset's start (3) and end (4) offset expressions.
class KTX_HOST_API FeatureOffset_Interface : public IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  virtual int SetOption(tag_t offset, int option) = 0;  // 1
  KTX_HOLD_PLACE(2)
  virtual int StartOffset(tag_t offset, tag_t* expression) = 0;  // 3
  virtual int EndOffset(tag_t offset, tag_t* expression) = 0;    // 4

 protected:
  FeatureOffset_Interface() = default;
  ~FeatureOffset_Interface() = default;
};

// 3: an expression's text, a copy the caller frees with SM_free.
class KTX_HOST_API Expression_Interface : public IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  virtual int SetRightHandSide(tag_t expression, const char* text) = 0;  // 1: its text (and value)
  KTX_HOLD_PLACE(2)
  virtual int Text(tag_t expression, char** text) = 0;  // 3

 protected:
  Expression_Interface() = default;
  ~Expression_Interface() = default;
};

// A chamfer builder's first (1) and second (2) offset, each a copy of its
// text the caller frees with SM_free.
// 3 to 10 its settings: the chamfer option, the two offsets and the angle as
// texts, the offset method, the two flags and the tolerance; 11/12 its edge
// collector.
class KTX_HOST_API ChamferBuilder_Interface : public IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  virtual int FirstOffset(tag_t builder, char** text) = 0;   // 1
  virtual int SecondOffset(tag_t builder, char** text) = 0;  // 2
  virtual int SetOption(tag_t builder, int option) = 0;                  // 3
  virtual int SetFirstOffset(tag_t builder, const char* text) = 0;       // 4
  virtual int SetSecondOffset(tag_t builder, const char* text) = 0;      // 5
  virtual int SetAngle(tag_t builder, const char* text) = 0;             // 6
  virtual int SetOffsetMethod(tag_t builder, int method) = 0;            // 7
  virtual int SetFirstFlag(tag_t builder, bool flag) = 0;                // 8
  virtual int SetSecondFlag(tag_t builder, bool flag) = 0;               // 9
  virtual int SetTolerance(tag_t builder, double tolerance) = 0;         // 10
  virtual int Edges(tag_t builder, tag_t* collector) = 0;                // 11
  virtual int SetEdges(tag_t builder, tag_t collector) = 0;              // 12

 protected:
  ChamferBuilder_Interface() = default;
  ~ChamferBuilder_Interface() = default;
};

// 1: commits a feature builder and hands back the feature it made or edited.
class KTX_HOST_API FeatureBuilder_Interface : public IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  virtual int CommitFeature(tag_t builder, tag_t* feature) = 0;  // 1

 protected:
  FeatureBuilder_Interface() = default;
  ~FeatureBuilder_Interface() = default;
};

// Any builder: commit (1, the object it made: a feature builder's feature)
// and destroy (2). A tag that names no live builder gives the bad-object
// error.
class KTX_HOST_API Builder_Interface : public IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  virtual int Commit(tag_t builder, tag_t* object) = 0;  // 1
  virtual int Destroy(tag_t builder) = 0;                // 2

 protected:
  Builder_Interface() = default;
  ~Builder_Interface() = default;
};

// 13: what the pipelines apply to every intermediate feature; recorded.
class KTX_HOST_API Feature_Interface : public IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  KTX_HOLD_PLACE(1) KTX_HOLD_PLACE(2) KTX_HOLD_PLACE(3) KTX_HOLD_PLACE(4) KTX_HOLD_PLACE(5)
  KTX_HOLD_PLACE(6) KTX_HOLD_PLACE(7) KTX_HOLD_PLACE(8) KTX_HOLD_PLACE(9) KTX_HOLD_PLACE(10)
  KTX_HOLD_PLACE(11) KTX_HOLD_PLACE(12)
  virtual int Operation13(tag_t feature) = 0;  // 13

 protected:
  Feature_Interface() = default;
  ~Feature_Interface() = default;
};

// 5: a plane's normal (the third row of its frame); another object than a
// plane gives the bad-object error.
class KTX_HOST_API IPlane_Interface : public IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  KTX_HOLD_PLACE(1) KTX_HOLD_PLACE(2) KTX_HOLD_PLACE(3) KTX_HOLD_PLACE(4)
  virtual int Normal(tag_t plane, double* x, double* y, double* z) = 0;  // 5

 protected:
  IPlane_Interface() = default;
  ~IPlane_Interface() = default;
};

}  // namespace JAM
}  // namespace KTX

#undef KTX_HOLD_TEN
#undef KTX_HOLD_PLACE

namespace KTX {
// The curve feature of the work part that made the entity (among the curves
// its parameters hold); 0 for none.
KTX_HOST_API tag_t FREC_find_child_frec_of_so(tag_t entity);
}  // namespace KTX

namespace KTX::Host {
// The values a feature was made with, kept for the session by feature tag;
// tests give a feature its values with these. False when the feature has none.
KTX_HOST_API void SetExtrudeValues(tag_t feature, const ExtrudeValues& values);
KTX_HOST_API bool AskExtrudeValues(tag_t feature, ExtrudeValues* values);
KTX_HOST_API void SetChamferValues(tag_t feature, const ChamferValues& values);
KTX_HOST_API bool AskChamferValues(tag_t feature, ChamferValues* values);
KTX_HOST_API void ForgetModelingValues();
}  // namespace KTX::Host
