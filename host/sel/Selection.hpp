// Selection, section, collector, list and expression objects that builders
// hold as owned sub-objects. They tell their owner when they change.
#pragma once
#include "feat/Builder.hpp"

namespace KTX {

// A host object that a builder owns and observes.
class KTX_HOST_API ObservedObject : public OM::TaggedObject, public IChildOfObservable {
 protected:
  ObservedObject(int classId, void* context) : OM::TaggedObject(classId, context) {}
};

class KTX_HOST_API SELECT_OBJECT : public ObservedObject {
  KTX_HOST_OBJECT(SELECT_OBJECT, "KTX::SELECT_OBJECT")
 protected:
  SELECT_OBJECT(int classId, void* context) : ObservedObject(classId, context) {}
};

class KTX_HOST_API SELECT_OBJECT_list : public ObservedObject {
  KTX_HOST_OBJECT(SELECT_OBJECT_list, "KTX::SELECT_OBJECT_list")
 protected:
  SELECT_OBJECT_list(int classId, void* context) : ObservedObject(classId, context) {}
};

class KTX_HOST_API SC_section : public ObservedObject {
  KTX_HOST_OBJECT(SC_section, "KTX::SC_section")
 protected:
  SC_section(int classId, void* context) : ObservedObject(classId, context) {}
};

class KTX_HOST_API SC_collector : public ObservedObject {
  KTX_HOST_OBJECT(SC_collector, "KTX::SC_collector")
 protected:
  SC_collector(int classId, void* context) : ObservedObject(classId, context) {}
};

class KTX_HOST_API UICOMPJA_list : public ObservedObject {
  KTX_HOST_OBJECT(UICOMPJA_list, "KTX::UICOMPJA_list")
 protected:
  UICOMPJA_list(int classId, void* context) : ObservedObject(classId, context) {}
};

class KTX_HOST_API EXP_expression : public ObservedObject {
  KTX_HOST_OBJECT(EXP_expression, "KTX::EXP_expression")
 protected:
  EXP_expression(int classId, void* context) : ObservedObject(classId, context) {}
};

class KTX_HOST_API OnPathDimBuilder : public JAX_BUILDER {
  KTX_HOST_OBJECT(OnPathDimBuilder, "KTX::OnPathDimBuilder")
 protected:
  OnPathDimBuilder(int classId, void* context) : JAX_BUILDER(classId, context) {}
};

}  // namespace KTX
