// The host's builder bases, the observer interfaces, and the part and feature
// record types that builders are made with.
#pragma once
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

class KTX_HOST_API JAX_BASE_BUILDER : public OM::TaggedObject, public IGenericObserver, public IChildOfObservable {
  KTX_HOST_OBJECT(JAX_BASE_BUILDER, "KTX::JAX_BASE_BUILDER")

 public:
  // The dotted scripting class name, as a copy the caller frees with SM_free.
  virtual char* ask_journal_class_name() const;
  virtual int validate_nothrow();
  virtual int commit();
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
  void init_object(CM_part* part, FEATURE_RECORD* frec);

 protected:
  JAX_FEAT_BUILDER(int classId, void* context) : JAX_BUILDER(classId, context) {}
  ~JAX_FEAT_BUILDER() override;

 private:
  FEATURE_RECORD* frec_;
};

class KTX_HOST_API PART_part : public OM::TaggedObject {
  KTX_HOST_OBJECT(PART_part, "KTX::PART_part")

 public:
  int UnitCode() const { return unitCode_; }  // 1 inch, otherwise millimetre
  void SetUnitCode(int code) { unitCode_ = code; }
  CM_part* ModelPart() const { return modelPart_; }
  static PART_part* Create(int unitCode);

 protected:
  PART_part(int classId, void* context) : OM::TaggedObject(classId, context) {}
  void cascade_destroy() override;

 private:
  int unitCode_;
  CM_part* modelPart_;
};

class KTX_HOST_API CM_part : public OM::TaggedObject {
  KTX_HOST_OBJECT(CM_part, "KTX::CM_part")

 public:
  PART_part* Part() const { return part_; }

 protected:
  CM_part(int classId, void* context) : OM::TaggedObject(classId, context) {}

 private:
  friend class PART_part;
  PART_part* part_;
};

class KTX_HOST_API FEATURE_RECORD : public OM::TaggedObject {
  KTX_HOST_OBJECT(FEATURE_RECORD, "KTX::FEATURE_RECORD")

 protected:
  FEATURE_RECORD(int classId, void* context) : OM::TaggedObject(classId, context) {}
};

KTX_HOST_API PART_part* PART_ask_part_of_cm_part(const CM_part* part);
KTX_HOST_API CM_part* PART_ask_cm_part_of_part_p(const PART_part* part);
KTX_HOST_API PART_part* PART_ask_work_part();
KTX_HOST_API void PART_set_work_part(PART_part* part);

}  // namespace KTX
