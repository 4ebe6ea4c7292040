// Parameters of a parent module (a list of location items) and the node
// tree through which die-design builders hand the host their locations and
// dimensions for its tool bodies.
#pragma once
#include <cstdint>
#include <vector>

#include "afl/Parms.hpp"

namespace KTX {

// A list of items (parameter entities such as DieDesGenericLocation), by position.
class KTX_HOST_API DIEDES_GENERIC_MODULE_PARMS : public FEATURE_PARMS {
  KTX_HOST_OBJECT(DIEDES_GENERIC_MODULE_PARMS, "KTX::DIEDES_GENERIC_MODULE_PARMS")
 public:
  int GetNumDiedesItems() const;
  // The item at the position (null for an empty or deleted entry); a position
  // past the end raises the index error.
  DIEDES_GENERIC_ENTITY* GetNthDiedesItems(int index) const;
  // Grows with empty entries or drops the entries from `count` on (logged).
  void SetNumDiedesItems(int count);
  // Stores the item (null empties the entry; logged); the index error past the end.
  void SetNthDiedesItems(int index, OM::Object* item);

 protected:
  DIEDES_GENERIC_MODULE_PARMS(int classId, void* context);
  ~DIEDES_GENERIC_MODULE_PARMS() override;

 private:
  OM::TagVla* items_;
};

class KTX_HOST_API DIEDES_GENERIC_MODULE_PARMSFactory {
 public:
  static DIEDES_GENERIC_MODULE_PARMS* Create();
};

// Deletes an object (its destroy); null does nothing.
KTX_HOST_API void OM_delete_object(OM::Object* object);

// ---- the node tree ------------------------------------------------------------------

// What a parent node and its children are.
struct DIEDES_NODE_init_s {
  int parentKind;
  const char* parentName;
  int childKind;
  const char* childName;
  const void* attribute;
};

// Every data record has this size; the parent has two (the second is the
// children's template), and so has each child.
constexpr int kDieDesNodeRecordSize = 312;

// A node: a block from the host allocator. Children are made by
// DIEDES_NODE_create_child and freed with the parent's application data.
// What a parent holds for the host's tool-body calls (the owner of the
// parameters, the tolerances, the module entity and the parameters) its
// builder stores directly; the node owns none of it.
struct DIEDES_NODE_s {
  int kind;
  DIEDES_NODE_s* parent;
  int childCount;
  DIEDES_NODE_s** children;
  int mark;
  void* data[2];
  const void* attribute;
  OM::Object* owner;
  double tolerances[2];
  void* module;
  DIEDES_GENERIC_BODY_PARMS* parms;
};

// A clamping slot's child (kind 24) carries a collector of the flange
// profile's curves in bytes 16-23 of its first record; the node's freeing
// deletes it.
constexpr int kClampingSlotChildKind = 24;
constexpr int kNodeCollectorPlace = 16;
// Where a child's first record keeps a location record
// (DieDesGenericLocationRecord) written by its location builder; the tag
// array the record points to is freed with the node. The second record is
// the builder's own: nothing in it is freed.
constexpr int kNodeLocationPlace = 184;

// Makes `count` (1) parent node from the description: 0, or kBadRecords for
// anything else; the node is the caller's (DIEDES_NODE_free_appl_data, then SM_free).
KTX_HOST_API int DIEDES_NODE_create_nodes(int count, const DIEDES_NODE_init_s* description,
                                          DIEDES_GENERIC_BODY_PARMS* parms, const void* attribute,
                                          DIEDES_NODE_s** node);
// The node's two data records (a child has two as well, zeroed).
KTX_HOST_API void** DIEDES_NODE_ask_appl_data(const DIEDES_NODE_s* node);
// A new child of the parent with two zeroed data records (a clamping slot's
// child: and its collector).
KTX_HOST_API DIEDES_NODE_s* DIEDES_NODE_create_child(DIEDES_NODE_s* parent);
KTX_HOST_API int DIEDES_NODE_ask_num_children(const DIEDES_NODE_s* node);
// The child at the index; the index error past the end.
KTX_HOST_API DIEDES_NODE_s* DIEDES_NODE_ask_nth_child(const DIEDES_NODE_s* node, int index);
KTX_HOST_API void DIEDES_NODE_set_mark(DIEDES_NODE_s* node, int mark);
KTX_HOST_API int DIEDES_NODE_ask_mark(const DIEDES_NODE_s* node);
// Frees the children and the data records of the node (not the node's own
// block), with what a child's records hold: its collector and the tag array
// of its location record.
KTX_HOST_API void DIEDES_NODE_free_appl_data(DIEDES_NODE_s* node);

}  // namespace KTX

namespace KTX::DieDes {

// The clamping slot's module entity: one child per location, each a module
// of two items (0 plain with the child's position, 1 a DieDesGenericLocation
// holding the location record). afl/Module.cpp.
class KTX_HOST_API ClampingSlotModule : public OM::TaggedObject {
  KTX_HOST_OBJECT(ClampingSlotModule, "KTX::DieDes::ClampingSlotModule")
 public:
  int GetNumChildren() const;
  // The child at the position; the index error past the end.
  DIEDES_GENERIC_MODULE_PARMS* GetChild(int index) const;
  // One new child of the node per stored child, its first record holding the
  // child's location record at kNodeLocationPlace (without its tag array: the
  // module keeps its own).
  void ReadChildren(DIEDES_NODE_s* node) const;
  // Replaces the children (logged) by one per child of the node that is not
  // marked 1, taking its location record: 0, or the location's store failure.
  int Apply(OM::Object* owner, DIEDES_NODE_s* node, int mode);
  int AskApplyMode() const { return applyMode_; }
  // Destroys the children and their items with itself.
  void cascade_destroy() override;

 protected:
  ClampingSlotModule(int classId, void* context);
  ~ClampingSlotModule() override;

 private:
  void DestroyChildren();
  OM::TagVla* children_;
  int applyMode_;
};

class KTX_HOST_API ClampingSlotModuleFactory {
 public:
  static ClampingSlotModule* Create();
};

}  // namespace KTX::DieDes

namespace KTX {

// ---- the tool-body calls --------------------------------------------------------------

// What the keyway hands its tool-body call besides the node tree: 104 bytes.
struct DIEDES_KEY_tool_data_s {
  std::int32_t baseFlangeCurve;
  std::int32_t coordinateSystem;
  double baseOrigin[3];
  double baseNormal[3];
  double negatedNormal[3];
  std::int32_t sheetBody;
  std::int32_t interiorProfileCurve;
  std::uint8_t zero[16];
};
static_assert(sizeof(DIEDES_KEY_tool_data_s) == 104);

// What the clamping slot hands its tool-body call: 64 bytes.
struct DIEDES_CLAMPSLOT_tool_data_s {
  double baseNormal[3];
  double baseOrigin[3];
  std::int32_t coordinateSystem;
  std::int32_t profileCurve;
  std::int32_t code;  // 80000
  std::int32_t one;   // 1
};
static_assert(sizeof(DIEDES_CLAMPSLOT_tool_data_s) == 64);

// What the heel post hands its tool-body call: 184 bytes.
struct DIEDES_HLPST_tool_data_s {
  double negatedNormal[3];
  double baseNormal[3];
  double baseOrigin[3];
  double planePoint[3];
  double planeVector[3];
  double planeDistances[2];
  std::int32_t coordinateSystem;
  std::int32_t gap;
  double tolerances[2];
  std::int32_t setting;  // 80000, or the target's setting
  std::int32_t reliefs[4];
  std::int32_t one;      // 1
};
static_assert(sizeof(DIEDES_HLPST_tool_data_s) == 184);

// The three tool-body calls are recording fakes alike: each makes
// "<call>.count" new solids (1 when not scripted) in *tools and a zeroed
// array of as many entries in *second (both SM_alloc, the caller's); the
// answer "<call>" not 0 is returned with nothing made. Logged; what each was
// given is kept for tests (LastKeyToolCall, ...).
KTX_HOST_API int DIEDES_KEY_parent_create_tool_body(DIEDES_NODE_s* node, const double tolerances[2],
                                                    const DIEDES_KEY_tool_data_s* toolData, int code, int* count,
                                                    int** tools, int** second);
KTX_HOST_API int DIEDES_CLAMPSLOT_parent_create_tool_body(DIEDES_NODE_s* node, const double tolerances[2],
                                                          const DIEDES_CLAMPSLOT_tool_data_s* toolData, int code,
                                                          int secondCode, int* count, int** tools, int** second);
KTX_HOST_API int DIEDES_HLPST_parent_create_tool_body(DIEDES_NODE_s* node, const double tolerances[2],
                                                      const DIEDES_HLPST_tool_data_s* toolData, int code1,
                                                      int code2, int code3, int code4, int* count, int** tools,
                                                      int** second);
struct ToolBodyCall {
  std::vector<unsigned char> parentRecord;  // the parent's first record
  std::vector<unsigned char> parentSecond;  // the parent's second record
  std::vector<unsigned char> childRecord;   // the first child's second record
  // Every child's two records, in order.
  std::vector<std::vector<unsigned char>> childFirst, childSecond;
  std::vector<unsigned char> toolData;
  int code = 0;             // the first code
  std::vector<int> codes;   // all codes
  bool nullNode = false;
};
using KeyToolCall = ToolBodyCall;
KTX_HOST_API const ToolBodyCall& LastKeyToolCall();
KTX_HOST_API const ToolBodyCall& LastClampSlotToolCall();
KTX_HOST_API const ToolBodyCall& LastHeelpostToolCall();

// A copy of a curve (a point gives a curve of it twice): 0, or kNoEntity.
KTX_HOST_API int DIEDES_UTILS_copy_curve(tag_t curve, tag_t* copy);
// One new curve through the points of the curves in order; `closure` and the
// tolerance are logged. 0, or kNoEntity for no usable curve; scripted
// "DIEDES_UTILS_join_curves" is returned with nothing made.
KTX_HOST_API int DIEDES_UTILS_join_curves(int count, const tag_t* curves, int closure, double tolerance,
                                          tag_t* joined);

// The collector of a node record: its objects replaced from `first` on by
// the n curves (option: recorded only), and its direction set (recorded
// only). Logged; a null collector does nothing.
KTX_HOST_API int CMP_RT_replace_rm_entities(SC_collector* collector, int first, int count, const tag_t* curves,
                                            const void* option);
KTX_HOST_API void CMP_RT_set_direction(SC_collector* collector, int first, int direction);

}  // namespace KTX
