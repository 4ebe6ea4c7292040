// Selection, section, collector and list objects that builders hold as owned
// sub-objects (expressions, which they hold too, are exp/Expression.hpp's).
// They tell their owner when they change.
//
// Their state lies in the object itself (plain fields) or in arrays that the
// object makes when it is constructed and keeps to its end, so that the
// object manager's undo, which restores an object's bytes, restores them.
#pragma once
#include <vector>

#include "exp/Expression.hpp"
#include "feat/Builder.hpp"
#include "sys/Memory.hpp"

namespace KTX {

// One selected object.
class KTX_HOST_API SELECT_OBJECT : public ObservedObject {
  KTX_HOST_OBJECT(SELECT_OBJECT, "KTX::SELECT_OBJECT")
 public:
  tag_t ask_selected_tag() const { return selected_; }
  bool has_selection() const { return selected_ != 0; }
  // 0 clears the selection. Setting the tag it holds already changes nothing.
  void set_selected_tag(tag_t tag);

 protected:
  SELECT_OBJECT(int classId, void* context) : ObservedObject(classId, context) {}

 private:
  tag_t selected_;
};

class KTX_HOST_API SELECT_OBJECTFactory {
 public:
  static SELECT_OBJECT* Create(PART_part* part);
};

// Tags in order, kept in an array the object owns.
class KTX_HOST_API TagListObject : public ObservedObject {
 public:
  int ask_count() const;
  tag_t ask_nth(int index) const;  // the index error past the end
  // A new array of the tags (SM_alloc; null when empty) that the caller frees with SM_free.
  void ask_tags(int* count, tag_t** tags) const;
  bool contains(tag_t tag) const;
  void append(tag_t tag);
  void set_tags(int count, const tag_t* tags);
  void clear();

 protected:
  TagListObject(int classId, void* context);
  ~TagListObject() override;
  OM::TagVla* Tags() const;

 private:
  OM::TagVla* tags_;
};

class KTX_HOST_API SELECT_OBJECT_list : public TagListObject {
  KTX_HOST_OBJECT(SELECT_OBJECT_list, "KTX::SELECT_OBJECT_list")
 public:
  bool ask_multiple_kinds() const { return multipleKinds_; }

 protected:
  SELECT_OBJECT_list(int classId, void* context) : TagListObject(classId, context) {}

 private:
  friend class SELECT_OBJECT_listFactory;
  bool multipleKinds_;
};

class KTX_HOST_API SELECT_OBJECT_listFactory {
 public:
  static SELECT_OBJECT_list* Create(PART_part* part, bool flag);
};

struct EVC_curve;

// One loop of a section: its kind and its curves, in order. Made by the
// section with the loop and destroyed with it.
class KTX_HOST_API SC_loop : public OM::TaggedObject {
  KTX_HOST_OBJECT(SC_loop, "KTX::SC_loop")
 public:
  int ask_kind() const { return kind_; }
  int ask_curve_count() const;
  // A new array of the curves (SM_alloc; null when none) that the caller frees with SM_free.
  void ask_curves(int* count, tag_t** curves) const;
  // The loop's geometry as one polyline through its curves in order, each
  // turned to continue where the chain ends (a point met again within the
  // tolerance is kept once): a point gives its point, a curve its points, a
  // line its two ends; a closed loop ends where it starts. Null for fewer
  // than two points. `joined` is recorded only. The caller frees it with
  // EVC_free. Logged.
  EVC_curve* ask_curve_geometry(bool joined, double tolerance) const;

 protected:
  SC_loop(int classId, void* context);
  ~SC_loop() override;

 private:
  friend class SC_section;
  OM::TagVla* curves_;
  int kind_;
};

// The input of one selection rule: its kind (28 curves, 0 solid edges) and
// its entities. Counted memory the caller frees with SC_free_input_data.
struct KTX_HOST_API SC_input_data : Memory::CppMemory {
  int kind = 0;
  std::vector<tag_t> entities;
};
KTX_HOST_API SC_input_data* SC_init_input_data(int kind);
KTX_HOST_API void SC_free_input_data(SC_input_data* data);

// One rule of a section, as the section reports it.
struct SC_rule_s {
  int kind;
  std::vector<tag_t> entities;
};

// A section: loops of curves. Each loop has a kind: 0 closed, 1 open,
// 2 self-intersecting, and is an object of its own (SC_loop). A section made
// by selection rules holds the rules instead (kind 28: curves, 0: a solid's
// edges), in the order added.
class KTX_HOST_API SC_section : public TagListObject {
  KTX_HOST_OBJECT(SC_section, "KTX::SC_section")
 public:
  static constexpr int kClosed = 0, kOpen = 1, kSelfIntersecting = 2;

  static constexpr int kCurveRule = 28, kEdgeRule = 0;
  static constexpr int kBadRule = 841103;  // a rule of another kind or an entity the kind does not take
  bool is_empty() const { return ask_count() == 0 && ask_rule_count() == 0; }
  // Adds the rules in one step: 0; kBadRule, with nothing added, when a kind
  // is neither 28 nor 0, an entity of a curve rule is no curve or one of an
  // edge rule no edge. The four options and the flag are logged only.
  int add_rules(int count, const int* kinds, SC_input_data* const* data, int option1, int option2, int option3,
                int option4, bool flag);
  int ask_rule_count() const;
  std::vector<SC_rule_s> ask_rules_data() const;
  // Removes the rules at the indexes (as ask_rules_data lists them) in one
  // step: 0; the index error, with nothing removed, for an index outside.
  int remove_rules(int count, const int* indexes);
  // The entities of every rule, in order.
  std::vector<tag_t> ask_rule_entities() const;
  // Empties the section: every rule and every loop goes (the loop objects
  // are destroyed, the curves stay in their part); logged, so undo brings
  // them back, and its owner told. An empty section changes nothing.
  void remove_all();
  // Appends one loop of `count` curves (a new SC_loop in the section's part).
  // A loop holding no curve, or tag 0 among them (an entity that could not be
  // made, as one at a point that is not finite), is not added.
  void add_loop(int kind, int count, const tag_t* curves);
  int ask_loop_count() const;
  // The loop objects in the order added.
  tag_t ask_nth_loop(int index) const;  // the index error past the end
  // The three counts the builders read: first the closed loops, second the
  // open loops, third the closed loops again. Each list given receives a new
  // array (SM_alloc; null when its count is 0), which the caller frees with
  // SM_free: the first curve of each loop counted for the first two, the
  // loop objects themselves for the third.
  void ask_loop_summary(int* first, tag_t** firstItems, int* second, tag_t** secondItems, int* third,
                        tag_t** thirdItems) const;
  void OrderLoops();
  bool ask_loops_ordered() const { return ordered_; }
  void ask_tolerances(double* chaining, double* distance, double* angle) const;
  void set_tolerances(double chaining, double distance, double angle);
  // Done by the host's extraction-table map when a commit maps its inputs.
  int ask_times_mapped() const { return timesMapped_; }
  void note_mapped();
  // Destroys its loops with it.
  void cascade_destroy() override;
  // Whether the section follows its curves when they change (logged).
  virtual void set_associative(bool on);
  bool ask_associative() const { return associative_; }
  // Whether the section was made for work in the context of an assembly (logged).
  void set_in_context(bool on);
  bool ask_in_context() const { return inContext_; }

 protected:
  SC_section(int classId, void* context);
  ~SC_section() override;

 private:
  friend class SC_sectionFactory;
  OM::IntVla* loopKinds_;
  OM::IntVla* loopSizes_;
  OM::TagVla* loops_;
  OM::IntVla* ruleKinds_;
  OM::IntVla* ruleSizes_;
  OM::TagVla* ruleEntities_;
  tag_t part_;  // where its loops are made
  double chaining_;
  double distance_;
  double angle_;
  bool ordered_;
  int timesMapped_;
  bool associative_;
  bool inContext_;
};

class KTX_HOST_API SC_sectionFactory {
 public:
  // A new empty section in the part with that tag (0: the work part).
  static SC_section* object(tag_t part, double chainingTolerance, double distanceTolerance, double angleTolerance);
};

// A selection rule as the scripting interfaces hand one out: its kind (28
// curves, 0 a solid's edges, 38 bodies, 17 a face) and its entities. The
// caller releases it once it has been handed to a section or collector.
class KTX_HOST_API SC_rule : public TagListObject {
  KTX_HOST_OBJECT(SC_rule, "KTX::SC_rule")
 public:
  static constexpr int kBodyRule = 38, kFaceRule = 17;
  int ask_kind() const { return kind_; }
  // A new rule in the work part.
  static SC_rule* Make(int kind, int count, const tag_t* entities);

 protected:
  SC_rule(int classId, void* context) : TagListObject(classId, context) {}

 private:
  int kind_;
};

// A collector: the objects its rules select, and the kinds of those rules
// in order (a collector filled object by object has none).
class KTX_HOST_API SC_collector : public TagListObject {
  KTX_HOST_OBJECT(SC_collector, "KTX::SC_collector")
 public:
  // Done by the host's extraction-table map when a commit maps its inputs.
  int ask_times_mapped() const { return timesMapped_; }
  void note_mapped();
  std::vector<int> ask_rule_kinds() const;
  // Its rules become these: their kinds, and their entities as its objects.
  void replace_rules(int count, SC_rule* const* rules);

 protected:
  SC_collector(int classId, void* context);
  ~SC_collector() override;

 private:
  friend class SC_collectorFactory;
  int timesMapped_;  // zeroed by the host with the object
  OM::IntVla* ruleKinds_;
};

class KTX_HOST_API SC_BODYFactory {
 public:
  // A new body rule (kind 38) of the bodies, in the work part.
  static SC_rule* sc_body(int count, const tag_t* bodies);
};

// A rule that selects one face (selection input type 17).
class KTX_HOST_API SC_FACE : public OM::TaggedObject {
  KTX_HOST_OBJECT(SC_FACE, "KTX::SC_FACE")
 public:
  tag_t ask_face() const { return face_; }

 protected:
  SC_FACE(int classId, void* context) : OM::TaggedObject(classId, context) {}

 private:
  friend class SC_FACEFactory;
  tag_t face_;
};

class KTX_HOST_API SC_FACEFactory {
 public:
  // A new rule in the work part; another input type, or the answer
  // "SC_FACEFactory::sc_face" not 0, raises that number (the bad-object error
  // for another type) with nothing made.
  static SC_FACE* sc_face(int inputType, tag_t face);
};

class KTX_HOST_API SC_collectorFactory {
 public:
  static SC_collector* Create(PART_part* part);
  // A new collector in the part with that tag (0: the work part) holding the
  // faces of the rules (the rules stay the caller's).
  static SC_collector* from_rules(tag_t part, int count, SC_FACE* const* rules);
  // The same for rules of any kind (the rules stay the caller's).
  static SC_collector* from_rules(tag_t part, int count, SC_rule* const* rules);
  // A new empty collector in the part with that tag (0: the work part).
  static SC_collector* object(tag_t part);
};

// A list of objects (by tag; a deleted or zero entry reads as none). With
// ownsItems set, the list destroys the items it still holds when it goes.
class KTX_HOST_API UICOMPJA_list : public TagListObject {
  KTX_HOST_OBJECT(UICOMPJA_list, "KTX::UICOMPJA_list")
 public:
  int size() const { return ask_count(); }
  OM::Object* ask_item(int index) const;
  void append_items(int count, OM::Object* const* items);
  bool ask_owns_items() const { return ownsItems_; }
  void set_owns_items(bool owns);
  void cascade_destroy() override;

  // The index of the first entry holding the object; -1 when there is none
  // (also for null).
  int index_of(const OM::Object* item) const;
  // Removes the entry (the index error outside the list); its object is
  // destroyed unless keepObject is set.
  void remove_at(int index, bool keepObject);
  // Puts the object at the index (0 to the count; the index error
  // elsewhere), then runs the insert callback with it.
  void insert(int index, OM::Object* item);
  // Puts the object (null empties the entry) at the index (the index error
  // outside the list). A list that owns its items destroys the one the entry
  // held unless it is the object put there.
  void set_item(int index, OM::Object* item);
  using InsertCallback = void (*)(UICOMPJA_list* list, void* data, OM::Object* item, int index);
  void set_insert_callback(InsertCallback callback, void* data);
  // The journal class of what the list holds, as its builder publishes the
  // list (null: not stated); the text is the caller's and must outlive the
  // list (a literal). Scripts may put nothing else in.
  const char* ask_item_class() const { return itemClass_; }
  void set_item_class(const char* journalClass);

  // What a list refuses, raised before anything changes: an object already
  // in it; an object another list holds (an item has one holder: two owning
  // lists would destroy it twice); and (840002) an object whose destroy would
  // take the list with it.
  static constexpr int kAlreadyInList = 840805;
  static constexpr int kHeldByAnother = 840806;

 protected:
  UICOMPJA_list(int classId, void* context) : TagListObject(classId, context) {}

 private:
  void refuseOwnHolder(const OM::Object* item) const;
  void refuseHeld(const OM::Object* item, int index) const;
  bool destroyReaches(const OM::Object* item) const;
  const char* itemClass_;
  bool ownsItems_;
  InsertCallback insertCallback_;
  void* insertData_;
};

class KTX_HOST_API UICOMPJA_listFactory {
 public:
  static UICOMPJA_list* object(CM_part* part);
};

// A position on a path curve (sel/OnPathDim.cpp), held by a value
// expression: a length along the path, or in percent mode a percentage of the
// path's length on the scale 0-100; each value is derived from the other and
// the path length. The location owns its expression and its path selection
// and observes both: after a change of either, unless it is on update hold,
// it updates itself and tells its observing owner.
class KTX_HOST_API OnPathDimBuilder : public JAX_BUILDER {
  KTX_HOST_OBJECT(OnPathDimBuilder, "KTX::OnPathDimBuilder")
 public:
  char* ask_journal_class_name() const override;
  bool HasPath() const { return GetPathCurve() != 0; }
  bool IsPercentMode() const { return percent_; }
  // The position as a length along the path and as a percentage of it.
  double GetLengthValue() const;
  double GetPercentValue() const;
  SELECT_OBJECT* GetPathSelection() const;
  // The selected path (0 when none) and its length (0 without a path).
  tag_t GetPathCurve() const;
  double GetPathLength() const;
  EXP_expression* GetValueExpression() const;
  bool GetUpdateHold() const { return hold_; }
  void SetUpdateHold(bool hold);
  // The point at the position (the path's start without a path), as of the last update.
  void GetOriginPoint(double point[3]) const;
  // Brings the origin point up to date with the value and the path.
  void Update(int mode);
  void Notify(OM::Object* changed) override;
  void cascade_destroy() override;

 protected:
  OnPathDimBuilder(int classId, void* context) : JAX_BUILDER(classId, context) {}

 private:
  friend class OnPathDimBuilderFactory;
  static OnPathDimBuilder* Make(EXP_expression* expression, tag_t path, bool percent);
  tag_t expression_;
  tag_t selection_;
  bool percent_;
  bool hold_;
  double origin_[3];
};

class KTX_HOST_API OnPathDimBuilderFactory {
 public:
  // A length-mode location on the path (the flags are recorded only).
  static OnPathDimBuilder* New(EXP_expression* expression, tag_t path, bool flag0, bool flag1, bool flag2);
  // A percent-mode location on the path (the flags are recorded only).
  static OnPathDimBuilder* Parameter(EXP_expression* expression, tag_t path, bool flag0, bool flag1, bool flag2,
                                     bool flag3);
};

}  // namespace KTX
