// The host's trim-body builder as plug-ins drive it: the builder
// ("Features.TrimBody2Builder", made by "Features.FeatureCollection" 4), its
// boolean tool builder (a plane, or faces through a face set selection) and
// the tool face collector. The builder holds real values: committing it
// makes (or updates) a feature whose body is the first target body, and an
// editing builder starts from what its feature was made with.
#pragma once
#include "feat/Builder.hpp"
#include "jam/InterfacePlaces.hpp"
#include "jam/Jam.hpp"
#include "om/HostClass.hpp"

namespace KTX {

// Which faces a tool takes: a collector of faces, and a flag byte the host
// sets when the selection is made.
class KTX_HOST_API FaceSetSelectionData : public OM::TaggedObject {
  KTX_HOST_OBJECT(FaceSetSelectionData, "KTX::FaceSetSelectionData")
 public:
  tag_t ask_collector() const { return collector_; }
  unsigned char ask_flag() const { return flag_; }
  void set_flag(unsigned char flag);

 protected:
  FaceSetSelectionData(int classId, void* context) : OM::TaggedObject(classId, context) {}

 private:
  friend class FaceSetSelectionDataFactory;
  friend class FacePlaneToolBuilder;
  tag_t collector_;
  unsigned char flag_;
};

class KTX_HOST_API FaceSetSelectionDataFactory {
 public:
  // A new selection of the part (null: the work part), its flag byte 1. Logged.
  static FaceSetSelectionData* Create(PART_part* part);
};

// A boolean tool: option 1 a plane, option 0 faces (a selection it owns).
class KTX_HOST_API FacePlaneToolBuilder : public OM::TaggedObject {
  KTX_HOST_OBJECT(FacePlaneToolBuilder, "KTX::FacePlaneToolBuilder")
 public:
  int ask_tool_option() const { return option_; }
  void SetToolOption(int option);
  tag_t ask_tool_plane() const { return plane_; }
  void SetToolPlane(tag_t plane);
  // The face selection (null when none) and the faces: the selection
  // becomes the builder's and takes the collector. Logged.
  FaceSetSelectionData* ask_face_selection() const;
  void SetToolFaces(FaceSetSelectionData* selection, tag_t collector);
  void cascade_destroy() override;

 protected:
  FacePlaneToolBuilder(int classId, void* context) : OM::TaggedObject(classId, context) {}

 private:
  friend class TrimBody2Builder;
  int option_;
  tag_t plane_;
  tag_t selection_;
};

// What a trim feature was made with.
struct TrimValues {
  tag_t targets = 0;  // the target collector
  int toolOption = 0;
  tag_t plane = 0;
  tag_t faces = 0;    // the tool face collector
  bool reverse = false;
};

class KTX_HOST_API TrimBody2Builder : public JAX_FEAT_BUILDER {
  KTX_HOST_OBJECT(TrimBody2Builder, "KTX::TrimBody2Builder")
 public:
  // A builder of the work part for the feature (null: a new one).
  static TrimBody2Builder* Make(FEATURE_RECORD* feature);
  char* ask_journal_class_name() const override;
  // Makes or updates the feature (the answer "TrimBody2Builder.commit" not
  // 0 is returned with nothing made); its body is the first target body.
  int commit_feature(FEATURE_RECORD** frec) override;
  void cascade_destroy() override;
  tag_t ask_targets() const { return targets_; }
  void set_targets(tag_t collector);
  FacePlaneToolBuilder* ask_tool() const;
  bool ask_reverse() const { return reverse_; }
  void set_reverse(bool reverse);
  double ask_tolerance() const { return tolerance_; }
  void set_tolerance(double tolerance);

 protected:
  TrimBody2Builder(int classId, void* context) : JAX_FEAT_BUILDER(classId, context) {}

 private:
  tag_t targets_;
  tag_t tool_;
  bool reverse_;
  double tolerance_;
};

// A new collector of the work part holding the faces (host tags). Logged.
KTX_HOST_API tag_t TRIM_create_tool_face_collector(int count, const int* faces);

namespace JAM {
// 1/2 the target collector, 3 the boolean tool builder, 4 the tolerance, 5
// the reverse flag.
class KTX_HOST_API TrimBody2Builder_Interface : public IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  virtual int Targets(tag_t builder, tag_t* collector) = 0;            // 1
  virtual int SetTargets(tag_t builder, tag_t collector) = 0;          // 2
  virtual int BooleanTool(tag_t builder, tag_t* tool) = 0;             // 3
  virtual int SetTolerance(tag_t builder, double tolerance) = 0;       // 4
  virtual int SetReverse(tag_t builder, bool reverse) = 0;             // 5

 protected:
  TrimBody2Builder_Interface() = default;
  ~TrimBody2Builder_Interface() = default;
};
}  // namespace JAM

namespace Host {
KTX_HOST_API bool AskTrimValues(tag_t feature, TrimValues* values);
KTX_HOST_API void ForgetTrimValues();
}  // namespace Host

}  // namespace KTX

#undef KTX_HOLD_TEN
#undef KTX_HOLD_PLACE
