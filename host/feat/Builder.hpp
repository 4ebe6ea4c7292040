// The host's builder bases, the observer interfaces, and the part and feature
// record types that builders are made with.
#pragma once
#include <vector>

#include "om/HostClass.hpp"
#include "om/ObjectManager.hpp"

namespace KTX {

class PART_part;
class CM_part;
class FEATURE_RECORD;

class KTX_HOST_API IGenericObserver {
 public:
  virtual ~IGenericObserver();
  // The host calls this when an observed sub-object has changed.
  virtual void Notify(OM::Object* changed) = 0;

 protected:
  IGenericObserver() {}
};

class KTX_HOST_API IChildOfObservable {
 public:
  virtual ~IChildOfObservable();
  virtual void SetParentHasObservers(bool has);
  bool ParentHasObservers() const { return parentHasObservers_; }

 protected:
  IChildOfObservable() {}

 private:
  bool parentHasObservers_;  // zeroed by the host with the object
};

// Tells the observer that owns `changed` (when it asked to be told) that it changed.
KTX_HOST_API void NotifyOwnerOfChange(OM::Object* changed);

// A host object that a builder owns and observes.
class KTX_HOST_API ObservedObject : public OM::TaggedObject, public IChildOfObservable {
 protected:
  ObservedObject(int classId, void* context) : OM::TaggedObject(classId, context) {}
  // Logs the object before a change and tells its observing owner after it.
  void BeforeChange();
  void AfterChange();
};

class KTX_HOST_API JAX_BASE_BUILDER : public OM::TaggedObject, public IGenericObserver, public IChildOfObservable {
  KTX_HOST_OBJECT(JAX_BASE_BUILDER, "KTX::JAX_BASE_BUILDER")

 public:
  // The dotted scripting class name, as a copy the caller frees with SM_free.
  virtual char* ask_journal_class_name() const;
  virtual int validate_nothrow();
  virtual int commit();
  // Whether a new builder still wants its scripting defaults applied.
  virtual bool needs_defaults();
  void Notify(OM::Object*) override {}

  PART_part* ask_owning_part() const { return owningPart_; }
  void init_object(PART_part* part);
  // Set while the scripting layer applies its defaults to this builder.
  bool DefaultsInProgress() const { return defaultsInProgress_; }
  void SetDefaultsInProgress(bool on) { defaultsInProgress_ = on; }

 protected:
  JAX_BASE_BUILDER(int classId, void* context) : OM::TaggedObject(classId, context) {}
  ~JAX_BASE_BUILDER() override;

 private:
  PART_part* owningPart_;
  bool defaultsInProgress_;
};

class KTX_HOST_API JAX_BUILDER : public JAX_BASE_BUILDER {
  KTX_HOST_OBJECT(JAX_BUILDER, "KTX::JAX_BUILDER")

 protected:
  JAX_BUILDER(int classId, void* context) : JAX_BASE_BUILDER(classId, context) {}
  ~JAX_BUILDER() override;
};

class KTX_HOST_API JAX_FEAT_BUILDER : public JAX_BUILDER {
  KTX_HOST_OBJECT(JAX_FEAT_BUILDER, "KTX::JAX_FEAT_BUILDER")

 public:
  // commit of a feature builder: commit_feature with a record of its own.
  int commit() override;
  virtual int commit_feature(FEATURE_RECORD** frec);
  FEATURE_RECORD* get_frec() const { return frec_; }
  void set_frec(FEATURE_RECORD* frec);
  void init_object(CM_part* part, FEATURE_RECORD* frec);
  // The dialog mode the host runs the builder in: the session's builders'
  // mode when it was made (Host::SetBuildersMode), unless a test sets another.
  int get_mode() const { return mode_; }
  void set_mode(int mode) { mode_ = mode; }

 protected:
  JAX_FEAT_BUILDER(int classId, void* context) : JAX_BUILDER(classId, context) {}
  ~JAX_FEAT_BUILDER() override;

 private:
  FEATURE_RECORD* frec_;
  int mode_;
};

namespace Host {
// The mode feature builders made from now on run in: 0, or what the session
// (ktxhost play: 1) sets.
KTX_HOST_API void SetBuildersMode(int mode);
KTX_HOST_API int BuildersMode();
}  // namespace Host

class KTX_HOST_API PART_part : public OM::TaggedObject {
  KTX_HOST_OBJECT(PART_part, "KTX::PART_part")

 public:
  int UnitCode() const { return unitCode_; }  // 1 inch, otherwise millimetre
  void SetUnitCode(int code) { unitCode_ = code; }
  CM_part* ModelPart() const { return modelPart_; }
  static PART_part* Create(int unitCode);

  // The part's work coordinate system (absolute on a new part).
  void AskWcs(double origin[3], double matrix[9]) const;
  void SetWcs(const double origin[3], const double matrix[9]);

 protected:
  PART_part(int classId, void* context) : OM::TaggedObject(classId, context) {}
  void cascade_destroy() override;

 private:
  int unitCode_;
  CM_part* modelPart_;
  double wcsOrigin_[3];
  double wcsMatrix_[9];
};

class KTX_HOST_API CM_part : public OM::TaggedObject {
  KTX_HOST_OBJECT(CM_part, "KTX::CM_part")

 public:
  PART_part* Part() const { return part_; }
  // The kernel body that the next feature applied without a body of its own
  // works on (0: none).
  int ask_current_target() const { return currentTarget_; }
  void set_current_target(int kernelBody);
  // The feature after which the next one is made: the newest feature, until
  // another is made current (logged).
  tag_t ask_current_feature() const { return currentFeature_; }
  void set_current_feature(tag_t frec);

 protected:
  CM_part(int classId, void* context) : OM::TaggedObject(classId, context) {}

 private:
  friend class PART_part;
  PART_part* part_;
  int currentTarget_;
  tag_t currentFeature_;
};

// The parameters of a feature, the base of every feature's parameter class
// (registered, with the die-design parameter classes below it, by the
// automotive-feature library).
class KTX_HOST_API FEATURE_PARMS : public OM::TaggedObject {
  KTX_HOST_OBJECT(FEATURE_PARMS, "KTX::FEATURE_PARMS")
 public:
  // The feature record that holds the parameters (null until one is handed over).
  FEATURE_RECORD* GetSubObjectOwner() const;
  // The new record hands itself to its parameters.
  virtual void SetFeatureRecord(FEATURE_RECORD* frec);

 protected:
  FEATURE_PARMS(int classId, void* context) : OM::TaggedObject(classId, context) {}

 private:
  tag_t frec_;
};

// A feature of a part: its parameter object, the body it made (a model body
// entity) and the kernel body it was applied to.
class KTX_HOST_API FEATURE_RECORD : public OM::TaggedObject {
  KTX_HOST_OBJECT(FEATURE_RECORD, "KTX::FEATURE_RECORD")

 public:
  // A new record in the part (null: the work part) holding the parameters (may be null).
  static FEATURE_RECORD* Create(PART_part* part, FEATURE_PARMS* parms);
  FEATURE_PARMS* ask_parms() const;
  tag_t ask_body_eid() const { return bodyEid_; }
  void set_body_eid(tag_t body);
  int ask_kernel_body() const { return kernelBody_; }
  void set_kernel_body(int body);
  // How many model updates have brought this feature up to date.
  int ask_update_count() const { return updateCount_; }
  void note_updated();
  // The record's format version (0 until set).
  int ask_version() const { return version_; }
  void set_version(int version);
  // The feature's name in the part's history (empty until named); a longer
  // name is cut to kNameSize - 1 characters.
  static constexpr int kNameSize = 64;
  const char* ask_name() const { return name_; }
  virtual void set_name(const char* name);
  // Whether the feature is in the part's history, applied, and whether it
  // was applied to the part's current body (apply flag).
  bool ask_included() const { return included_; }
  bool ask_applied() const { return applied_; }
  bool ask_apply_flag() const { return applyFlag_; }
  void note_included(bool applyFlag);
  void note_applied(bool applyFlag);
  // Increases with every record made: a newer record has a larger stamp.
  int ask_time_stamp() const { return timeStamp_; }
  // 0 for a feature that is in effect; what an update left otherwise (4: the
  // update suppressed it).
  int ask_suppress_flag() const { return suppressFlag_; }
  void set_suppress_flag(int flag);

 protected:
  FEATURE_RECORD(int classId, void* context) : OM::TaggedObject(classId, context) {}

 private:
  tag_t parms_;
  tag_t bodyEid_;
  int kernelBody_;
  int updateCount_;
  int version_;
  char name_[kNameSize];
  bool included_;
  bool applied_;
  bool applyFlag_;
  int timeStamp_;
  int suppressFlag_;
};

namespace Host {
// Puts a host-made object in the part's keeping: the part destroys it with
// itself unless it has gone before. A null part means the work part.
KTX_HOST_API void KeepInPart(PART_part* part, OM::Object* object);
// What the part keeps that is still alive, in the order it was made.
KTX_HOST_API std::vector<tag_t> KeptInPart(const PART_part* part);
// Every part destruction runs these (the host's services forget what they
// hold of the part).
using PartDestroyedHook = void (*)(PART_part* part);
KTX_HOST_API void OnPartDestroyed(PartDestroyedHook hook);
// Creates a host object of class T and puts it in the part's keeping.
template <class T>
T* CreateInPart(PART_part* part) {
  T* object = CreateHostObject<T>();
  KeepInPart(part, object);
  return object;
}
}  // namespace Host

KTX_HOST_API PART_part* PART_ask_part_of_cm_part(const CM_part* part);
KTX_HOST_API CM_part* PART_ask_cm_part_of_part_p(const PART_part* part);
KTX_HOST_API PART_part* PART_ask_work_part();
KTX_HOST_API void PART_set_work_part(PART_part* part);
// The work part, as the modelling context gives it.
KTX_HOST_API PART_part* CONTEXT_ask_work_part();
KTX_HOST_API PART_part* CONTEXT_ask_work_part_p();
// The top part of the assembly being worked on: the part last set as root,
// else (none set, or it went) the work part.
KTX_HOST_API PART_part* CONTEXT_ask_root_part();
// Logged; null forgets the root, which is then the work part again.
KTX_HOST_API void CONTEXT_set_root_part(PART_part* part);
// The work part, as PART_set_work_part, logged.
KTX_HOST_API void CONTEXT_set_work_part(PART_part* part);
// The part's unit code (1 inch, otherwise millimetre); 0 for no part.
KTX_HOST_API int PART_ask_units(const PART_part* part);
// The part that keeps the object (null: no object, or kept by no part).
KTX_HOST_API PART_part* PART_ask_part_of_object(tag_t object);

// An occurrence in one part of an object that another part holds (its prototype).
class KTX_HOST_API OCC_occurrence : public OM::TaggedObject {
  KTX_HOST_OBJECT(OCC_occurrence, "KTX::OCC_occurrence")
 public:
  tag_t ask_prototype() const { return prototype_; }
  // Test hook: a new occurrence of `prototype` kept in `part` (null: the work part).
  static OCC_occurrence* Place(PART_part* part, tag_t prototype);

 protected:
  OCC_occurrence(int classId, void* context) : OM::TaggedObject(classId, context) {}

 private:
  tag_t prototype_;
};
KTX_HOST_API bool OCC_is_occurrence(tag_t object);
// The prototype of an occurrence; 0 for anything else.
KTX_HOST_API tag_t OCC_ask_prototype_of_occ(tag_t occurrence);

// The part with that tag (0: the work part); another class raises the bad-object error.
KTX_HOST_API PART_part* PART_of_tag(tag_t part);

// ---- feature records ----------------------------------------------------------
KTX_HOST_API FEATURE_PARMS* FREC_ask_parms_of_frec(const FEATURE_RECORD* frec);
// The body entity the feature made; 0 for an unknown tag or no body.
KTX_HOST_API tag_t FREC_ask_body_eid(tag_t frec);
KTX_HOST_API tag_t FREC_ask_body_eid_p(const FEATURE_RECORD* frec);
KTX_HOST_API int FREC_ask_time_stamp(const FEATURE_RECORD* frec);
// The model part of the part that keeps the object (null when none).
KTX_HOST_API CM_part* CM__ask_part_of_object(const OM::Object* object);
// The part's current feature (null when none or gone).
KTX_HOST_API FEATURE_RECORD* CM_part_get_current_feature(const CM_part* part);
// Makes the feature its part's current feature (logged).
KTX_HOST_API void FREC_make_current_feature(FEATURE_RECORD* frec);
// Runs the feature's post-update step: 0 on success (scripted:
// "FMI_invoke_post_update" gives the failure number).
KTX_HOST_API int FMI_invoke_post_update(FEATURE_RECORD* frec);
// Moves the cursor to the part's next feature record in the order they were
// made (0 to start; 0 again once they are exhausted). A part tag of no part
// raises the bad-object error.
KTX_HOST_API void ES_cycle_frecs(tag_t part, tag_t* frec);
// The feature records of the model part's part, in the order they were made:
// the count and a new array (SM_free; null for none). 0.
KTX_HOST_API int FREC_ask_all_frecs_of_part(const CM_part* part, int* count, tag_t** frecs);

}  // namespace KTX
