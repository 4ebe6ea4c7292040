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
struct DIEDES_NODE_s {
  int kind;
  DIEDES_NODE_s* parent;
  int childCount;
  DIEDES_NODE_s** children;
  int mark;
  void* data[2];
  const void* attribute;
};

// Makes `count` (1) parent node from the description: 0, or kBadRecords for
// anything else; the node is the caller's (DIEDES_NODE_free_appl_data, then SM_free).
KTX_HOST_API int DIEDES_NODE_create_nodes(int count, const DIEDES_NODE_init_s* description,
                                          DIEDES_GENERIC_BODY_PARMS* parms, const void* attribute,
                                          DIEDES_NODE_s** node);
// The node's two data records (a child has two as well, zeroed).
KTX_HOST_API void** DIEDES_NODE_ask_appl_data(const DIEDES_NODE_s* node);
// A new child of the parent with two zeroed data records.
KTX_HOST_API DIEDES_NODE_s* DIEDES_NODE_create_child(DIEDES_NODE_s* parent);
KTX_HOST_API int DIEDES_NODE_ask_num_children(const DIEDES_NODE_s* node);
// The child at the index; the index error past the end.
KTX_HOST_API DIEDES_NODE_s* DIEDES_NODE_ask_nth_child(const DIEDES_NODE_s* node, int index);
KTX_HOST_API void DIEDES_NODE_set_mark(DIEDES_NODE_s* node, int mark);
KTX_HOST_API int DIEDES_NODE_ask_mark(const DIEDES_NODE_s* node);
// Frees the children and the data records of the node (not the node's own block).
KTX_HOST_API void DIEDES_NODE_free_appl_data(DIEDES_NODE_s* node);

}  // namespace KTX

namespace KTX {

// ---- the keyway's tool bodies --------------------------------------------------------

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

// The keyway's tool bodies from the node tree: "DIEDES_KEY_parent_create_tool_body.count"
// new solids (1 when not scripted) in *tools and a zeroed array of as many
// entries in *second (both SM_alloc, the caller's). The answer
// "DIEDES_KEY_parent_create_tool_body" not 0 is returned with nothing made.
// Logged; what it was given is kept for tests (KeyToolCall).
KTX_HOST_API int DIEDES_KEY_parent_create_tool_body(DIEDES_NODE_s* node, const double tolerances[2],
                                                    const DIEDES_KEY_tool_data_s* toolData, int code, int* count,
                                                    int** tools, int** second);
struct KeyToolCall {
  std::vector<unsigned char> parentRecord;  // the parent's first record
  std::vector<unsigned char> childRecord;   // the first child's second record
  std::vector<unsigned char> toolData;
  int code = 0;
};
KTX_HOST_API const KeyToolCall& LastKeyToolCall();

// A copy of a curve (a point gives a curve of it twice): 0, or kNoEntity.
KTX_HOST_API int DIEDES_UTILS_copy_curve(tag_t curve, tag_t* copy);
// One new curve through the points of the curves in order; `closure` and the
// tolerance are logged. 0, or kNoEntity for no usable curve; scripted
// "DIEDES_UTILS_join_curves" is returned with nothing made.
KTX_HOST_API int DIEDES_UTILS_join_curves(int count, const tag_t* curves, int closure, double tolerance,
                                          tag_t* joined);

}  // namespace KTX
