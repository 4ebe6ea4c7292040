// The scripting interfaces through which plug-ins make and fill sections and
// collectors, and switch the work part: "PartCollection",
// "DirectionCollection", "SectionCollection", "ScRuleFactory", "Section",
// "SelectionIntentRule", "EdgeDumbRule", "ScCollector",
// "ScCollectorCollection" and "Body", fetched by class name through
// KTX::JAM::ClassInitializer (one object serves both forms; nothing is
// journalled). Every call is written to the call log under the interface's
// name with "operation=N" and its arguments; the answer "<interface>.<place>"
// scripts a failure, which does nothing but return that number. What they hand
// out is counted like every host object: a rule nobody releases stays alive.
#pragma once

#include "jam/InterfacePlaces.hpp"
#include "jam/Jam.hpp"

namespace KTX::JAM {

// 1 the work part; 2 makes a part the work part (a tag that is no part: the
// bad-object error, nothing changed).
class KTX_HOST_API PartCollection_Interface : public IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  virtual int Work(tag_t* part) = 0;         // 1
  virtual int SetWork(tag_t part) = 0;       // 2

 protected:
  PartCollection_Interface() = default;
  ~PartCollection_Interface() = default;
};

// 1: a direction entity in the work part at the origin along the vector
// (sense -1 reverses it).
class KTX_HOST_API DirectionCollection_Interface : public IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  virtual int CreateDirection(const double origin[3], const double vector[3], int sense, tag_t* direction) = 0;

 protected:
  DirectionCollection_Interface() = default;
  ~DirectionCollection_Interface() = default;
};

// 1: an empty section in the work part with the chaining, distance and
// angle tolerances.
class KTX_HOST_API SectionCollection_Interface : public IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  virtual int CreateSection(double chaining, double distance, double angle, tag_t* section) = 0;

 protected:
  SectionCollection_Interface() = default;
  ~SectionCollection_Interface() = default;
};

// New rules of the entities (SC_rule): 1 curves (kind 28), 2 a solid's edges
// (kind 0), 3 bodies (kind 38). No entity gives the bad-object error.
class KTX_HOST_API ScRuleFactory_Interface : public IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  virtual int CreateRuleCurveDumb(int count, const tag_t* curves, tag_t* rule) = 0;  // 1
  virtual int CreateRuleEdgeDumb(int count, const tag_t* edges, tag_t* rule) = 0;    // 2
  virtual int CreateRuleBodyDumb(int count, const tag_t* bodies, tag_t* rule) = 0;   // 3

 protected:
  ScRuleFactory_Interface() = default;
  ~ScRuleFactory_Interface() = default;
};

// 1: adds the rules to the section in one step (SC_section::add_rules; the
// help point and the three options are logged only); the rules stay the
// caller's.
class KTX_HOST_API Section_Interface : public IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  virtual int AddToSection(tag_t section, int count, const tag_t* rules, const double helpPoint[3], bool chain,
                           bool interpart, bool allowSelfIntersection) = 0;

 protected:
  Section_Interface() = default;
  ~Section_Interface() = default;
};

// 1: releases (destroys) a rule; "EdgeDumbRule" takes only edge rules. A tag
// that is no such rule gives the bad-object error.
class KTX_HOST_API RuleRelease_Interface : public IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  virtual int Release(tag_t rule) = 0;

 protected:
  RuleRelease_Interface() = default;
  ~RuleRelease_Interface() = default;
};

// 1 replaces the collector's rules by these (the flag is logged only); 2 the
// kinds of its rules in order (an SM_ array the caller frees; null for none).
class KTX_HOST_API ScCollector_Interface : public IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  virtual int ReplaceRules(tag_t collector, int count, const tag_t* rules, bool flag) = 0;  // 1
  virtual int RuleKinds(tag_t collector, int* count, int** kinds) = 0;                      // 2

 protected:
  ScCollector_Interface() = default;
  ~ScCollector_Interface() = default;
};

// 1: a new empty collector of the part (0: the work part).
class KTX_HOST_API ScCollectorCollection_Interface : public IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  virtual int CreateCollector(tag_t part, tag_t* collector) = 0;

 protected:
  ScCollectorCollection_Interface() = default;
  ~ScCollectorCollection_Interface() = default;
};

// 1: the faces of a body, in order (an SM_ array the caller frees).
class KTX_HOST_API Body_Interface : public IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  virtual int Faces(tag_t body, int* count, tag_t** faces) = 0;

 protected:
  Body_Interface() = default;
  ~Body_Interface() = default;
};

}  // namespace KTX::JAM

#undef KTX_HOLD_TEN
#undef KTX_HOLD_PLACE
