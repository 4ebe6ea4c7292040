// The automotive-feature library's parameter objects of die-design features,
// their entities and records, the host's one extraction table, and feature
// creation and update from parameters.
//
// Parameter objects and their entities are object-manager objects made in
// the work part and kept by it. Their values lie in arrays they make when they
// are constructed, so the object manager's undo restores them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "feat/Builder.hpp"
#include "sel/Selection.hpp"

namespace KTX {

namespace Parms {
// Message numbers of the parameter objects.
enum Message : int {
  kNoParms = 840401,       // no parameter object given
  kBadRecords = 840402,    // a record count below 0, or records missing
  kBadDescriptor = 840403, // a die-attributes descriptor without its record
  kWrongKind = 840404,     // an entity asked for values of another kind than it holds
};
}  // namespace Parms

// The owner of a parameter object (its feature record) or of an entity (its
// parameter object); otherwise the object that holds it (OM_ask_owner).
KTX_HOST_API OM::Object* OM_ask_subobject_owner(const OM::Object* object);

// What a writer hands an entity: a flag and the owner of the parameters (the
// feature record). Record stores take flag 0 and the record being written.
struct DIEDES_ENTITY_CONTEXT {
  int flag;
  OM::Object* owner;
  void* reserved[2];
};

// One entity of a parameter object: a list of values of one kind.
class KTX_HOST_API DIEDES_GENERIC_ENTITY : public OM::TaggedObject {
  KTX_HOST_OBJECT(DIEDES_GENERIC_ENTITY, "KTX::DIEDES_GENERIC_ENTITY")
 public:
  enum Kind : int { kEmpty = 0, kTags = 1, kInts = 2, kExpressions = 3, kRecords = 4, kDoubles = 5 };

  // Each set replaces the values and the flag; 0 or a message number (then
  // nothing changes). Scripted: the answer "DIEDES_GENERIC_ENTITY_set.<index>"
  // not 0 is returned as the failure of the entity at that index.
  int SetTags(const DIEDES_ENTITY_CONTEXT* context, int count, const tag_t* tags);
  int SetInts(const DIEDES_ENTITY_CONTEXT* context, int count, const int* values);
  int SetExpressions(const DIEDES_ENTITY_CONTEXT* context, int count, EXP_expression* const* expressions);
  int SetDoubles(const DIEDES_ENTITY_CONTEXT* context, int count, const double* values);

  int AskKind() const { return kind_; }
  int AskFlag() const { return flag_; }
  tag_t AskOwnerTag() const { return owner_; }
  int AskIndex() const { return index_; }
  // The parameter object the entity belongs to (0 for a free entity).
  tag_t AskParmsTag() const { return parms_; }
  int AskCount() const;
  // A new array (SM_alloc; null when empty) of the tags (of the expressions,
  // for an expression entity) that the caller frees with SM_free.
  void AskTags(int* count, tag_t** tags) const;
  // By position; a position past the end raises the index error, a value of
  // another kind raises kWrongKind.
  tag_t AskTag(int position) const;
  int AskInt(int position) const;
  EXP_expression* AskExpression(int position) const;
  double AskDouble(int position) const;
  // Lets go of the values the entity holds (a temporary parameter object
  // does this before it goes); `option` is recorded only (afl/DieDesFeatures.cpp).
  void ReleaseContents(int option);

 protected:
  DIEDES_GENERIC_ENTITY(int classId, void* context);
  ~DIEDES_GENERIC_ENTITY() override;
  int Begin(const char* call, const DIEDES_ENTITY_CONTEXT* context, int count);
  void Store(const DIEDES_ENTITY_CONTEXT* context, int kind);
  OM::StringVla* Records() const { return records_; }

 private:
  friend class DIEDES_GENERIC_BODY_PARMS;
  OM::IntVla* ints_;
  OM::TagVla* tags_;
  OM::StringVla* records_;
  OM::DoubleVla* doubles_;
  int kind_;
  int flag_;
  int index_;
  tag_t owner_;
  tag_t parms_;
};

// ---- die attributes ------------------------------------------------------------

// The record of a parameter object's die attributes (240 bytes).
struct DieAttributesRecord {
  char title[50];          // 0-49: the first text
  char gap50;              // 50
  char previousTitle[51];  // 51-101: the first text as it stood before the last write
  char value[50];          // 102-151: the second text
  std::uint8_t reserved[84];
  std::int32_t number;     // 236-239
};
static_assert(sizeof(DieAttributesRecord) == 240);
static_assert(offsetof(DieAttributesRecord, previousTitle) == 51);
static_assert(offsetof(DieAttributesRecord, value) == 102);
static_assert(offsetof(DieAttributesRecord, number) == 236);

// Describes the record a read fills or a write takes.
struct DIEDES_ATTRIBUTE_DESCRIPTOR {
  int values[5];
  DieAttributesRecord* record;
};

class DIEDES_GENERIC_BODY_PARMS;

// The die-attributes part of a parameter object: its one record, or one of
// the records of an object that holds several (the record given).
class KTX_HOST_API DieAttributesPart {
 public:
  explicit DieAttributesPart(DIEDES_GENERIC_BODY_PARMS* parms);
  DieAttributesPart(DIEDES_GENERIC_BODY_PARMS* parms, DieAttributesRecord* record) : parms_(parms), record_(record) {}
  // Copies the stored record into the descriptor's record: 0 or kBadDescriptor.
  int Read(DIEDES_ATTRIBUTE_DESCRIPTOR* descriptor, int mode) const;
  // Stores the descriptor's record (logged): 0 or kBadDescriptor.
  int Write(OM::Object* owner, const DIEDES_ATTRIBUTE_DESCRIPTOR* descriptor, int mode);

 private:
  DIEDES_GENERIC_BODY_PARMS* parms_;
  DieAttributesRecord* record_;
};

// ---- generic body parameters ------------------------------------------------------

class KTX_HOST_API DIEDES_GENERIC_BODY_PARMS : public FEATURE_PARMS {
  KTX_HOST_OBJECT(DIEDES_GENERIC_BODY_PARMS, "KTX::DIEDES_GENERIC_BODY_PARMS")
 public:
  int GetNumEntities() const;
  // The entity at the index; past the end raises the index error.
  DIEDES_GENERIC_ENTITY* GetEntity(int index) const;
  // Values by entity and position (both checked as GetEntity and the entity's ask).
  tag_t AskEntityTag(int entity, int position) const;
  int AskEntityInt(int entity, int position) const;
  EXP_expression* AskEntityExpression(int entity, int position) const;

  double GetDistanceTolerance() const { return distanceTolerance_; }
  void SetDistanceTolerance(double tolerance);
  double GetAngleTolerance() const { return angleTolerance_; }
  void SetAngleTolerance(double tolerance);
  int GetAlgorithmVersion() const { return algorithmVersion_; }
  void SetAlgorithmVersion(int version);

  // What the features whose locations travel in a module list hand the node
  // tree as its item attribute (the same for every parameter object).
  const void* GetDieDesModuleItemsAttribute() const;
  // The model body the feature applies to.
  static tag_t GetTargetEID(const DIEDES_GENERIC_BODY_PARMS* parms);
  void SetTargetEID(tag_t body);

  DieAttributesPart GetDieAttributes() { return DieAttributesPart(this); }
  // A new copy (SM_alloc) of the die-attributes record that the caller frees with SM_free.
  DieAttributesRecord* AskDieAttributes() const;

  void SetFeatureRecord(FEATURE_RECORD* frec) override;

  // Appends the section's curves to the caller's array (grown with
  // SM_crealloc); nothing for a null section or count.
  static void DieDesBuilderGetSectionObjects(const SC_section* section, int* count, tag_t** tags);

  // Sheets and normals for the previews (afl/DieDesFeatures.cpp).
  // A kernel sheet offset roughly from the sheet `sheet` (a model object) by
  // `offset` along `normal`; tolerances: distance, angle. 0 and the new body
  // in *result, or an error (*result may still hold a body the caller deletes).
  static int DieCreateRoughOffsetSheet(int option, int mode, tag_t sheet, double offset, const double normal[3],
                                       const double tolerances[2], int* result);
  // The normal of the kernel sheet `body` on the side of `reference` within
  // `angle` degrees (near `point` when given): 0 or an error.
  static int GetSheetNormal(int body, const double reference[3], double angle, const double* point,
                            double normal[3]);

  // A new parameter object of the class (a subclass' id) in the work part,
  // with one entity per class id given (a DIEDES_GENERIC_ENTITY or subclass).
  static DIEDES_GENERIC_BODY_PARMS* Make(int classId, const std::vector<int>& entityClasses);
  // Destroys the entities with the parameters.
  void cascade_destroy() override;

 protected:
  DIEDES_GENERIC_BODY_PARMS(int classId, void* context);
  ~DIEDES_GENERIC_BODY_PARMS() override;
  // Puts the entity at the index in the place of the one there (logged),
  // which is handed back, now free; the index error past the end.
  DIEDES_GENERIC_ENTITY* ReplaceEntity(int index, DIEDES_GENERIC_ENTITY* entity);

 private:
  friend class DieAttributesPart;
  OM::TagVla* entities_;
  double distanceTolerance_;
  double angleTolerance_;
  int algorithmVersion_;
  tag_t targetEid_;
  DieAttributesRecord dieAttributes_;
};

class KTX_HOST_API DIEDES_GENERIC_BODY_PARMSFactory {
 public:
  // Parameters with `entities` plain entities.
  static DIEDES_GENERIC_BODY_PARMS* Create(int entities);
};

}  // namespace KTX

namespace KTX::DieDes {

// ---- plane, direction and location records ---------------------------------------

// One plane (or direction: the direction entity in the place of the plane
// entity) as the die-design library stores it: 120 bytes.
struct DieDesGenericPlaneRecord {
  std::int32_t type;
  tag_t selectedObject;  // the object selected (0 when none)
  tag_t selection;       // the selection object (0 when nothing is selected)
  tag_t entity;          // the plane (or direction) entity
  bool reverse;
  std::uint8_t zero[7];
  double origin[3];
  double matrix[9];      // row order
};
static_assert(sizeof(DieDesGenericPlaneRecord) == 120);
static_assert(offsetof(DieDesGenericPlaneRecord, reverse) == 16);
static_assert(offsetof(DieDesGenericPlaneRecord, origin) == 24);
static_assert(offsetof(DieDesGenericPlaneRecord, matrix) == 48);
using DieDesGenericDirectionRecord = DieDesGenericPlaneRecord;

// One location: 128 bytes. The tags of the selected objects are the writer's
// array; the parameter object keeps a copy.
struct DieDesGenericLocationRecord {
  std::int32_t type;
  std::int32_t selectedCount;
  tag_t* selected;
  tag_t selection;
  tag_t point;
  double origin[3];
  double matrix[9];
  tag_t vector;
  tag_t plane;
};
static_assert(sizeof(DieDesGenericLocationRecord) == 128);
static_assert(offsetof(DieDesGenericLocationRecord, selected) == 8);
static_assert(offsetof(DieDesGenericLocationRecord, selection) == 16);
static_assert(offsetof(DieDesGenericLocationRecord, point) == 20);
static_assert(offsetof(DieDesGenericLocationRecord, origin) == 24);
static_assert(offsetof(DieDesGenericLocationRecord, matrix) == 48);
static_assert(offsetof(DieDesGenericLocationRecord, vector) == 120);
static_assert(offsetof(DieDesGenericLocationRecord, plane) == 124);

// Entities that hold records: the store replaces all records (0, or a message
// number with nothing changed; scripted as the entity's set); the ask hands
// out the records from `first` on as a new array (SM_alloc; null when none)
// that the caller frees with SM_free.
class KTX_HOST_API DieDesGenericPlane : public DIEDES_GENERIC_ENTITY {
  KTX_HOST_OBJECT(DieDesGenericPlane, "KTX::DieDes::DieDesGenericPlane")
 public:
  int StoreRecords(const DIEDES_ENTITY_CONTEXT* context, int count, const DieDesGenericPlaneRecord* records);
  int AskRecords(int first, int* count, DieDesGenericPlaneRecord** records) const;

 protected:
  DieDesGenericPlane(int classId, void* context) : DIEDES_GENERIC_ENTITY(classId, context) {}
};

class KTX_HOST_API DieDesGenericDirection : public DIEDES_GENERIC_ENTITY {
  KTX_HOST_OBJECT(DieDesGenericDirection, "KTX::DieDes::DieDesGenericDirection")
 public:
  int StoreRecords(const DIEDES_ENTITY_CONTEXT* context, int count, const DieDesGenericDirectionRecord* records);
  int AskRecords(int first, int* count, DieDesGenericDirectionRecord** records) const;

 protected:
  DieDesGenericDirection(int classId, void* context) : DIEDES_GENERIC_ENTITY(classId, context) {}
};

// Location records carry their own tag arrays: the ask gives each record a
// new array (SM_alloc) of its selected tags; FreeRecords frees those and the
// record array (null does nothing). Scripted: the answer
// "DieDesGenericLocation::AskRecords.<tag>" not 0 makes the ask of that
// location raise that error, before anything is handed out.
class KTX_HOST_API DieDesGenericLocation : public DIEDES_GENERIC_ENTITY {
  KTX_HOST_OBJECT(DieDesGenericLocation, "KTX::DieDes::DieDesGenericLocation")
 public:
  int StoreRecords(const DIEDES_ENTITY_CONTEXT* context, int count, const DieDesGenericLocationRecord* records);
  int AskRecords(int first, int* count, DieDesGenericLocationRecord** records) const;
  void FreeRecords(int count, DieDesGenericLocationRecord* records) const;
  // Lets go of what the location holds for the feature (its records).
  void Release(FEATURE_RECORD* frec);

 protected:
  DieDesGenericLocation(int classId, void* context) : DIEDES_GENERIC_ENTITY(classId, context) {}
};

class KTX_HOST_API DieDesGenericPlaneFactory {
 public:
  static DieDesGenericPlane* Create();
};
class KTX_HOST_API DieDesGenericDirectionFactory {
 public:
  static DieDesGenericDirection* Create();
};
class KTX_HOST_API DieDesGenericLocationFactory {
 public:
  static DieDesGenericLocation* Create();
};

// ---- feature classes ------------------------------------------------------------------

// Cast relief: entities 0-2 and 4-5 plain, 3 a plane.
class KTX_HOST_API CastRelief : public DIEDES_GENERIC_BODY_PARMS {
  KTX_HOST_OBJECT(CastRelief, "KTX::DieDes::CastRelief")
 public:
  // The relief's tool bodies (afl/DieDesFeatures.cpp): new kernel bodies in
  // *tools with the boolean each takes part in (*operations), both arrays
  // SM_alloc, the caller's. The two labels advance by the bodies made.
  static int CreateToolBody(int algorithmVersion, SC_section* profile, tag_t sheet, tag_t reliefSheet,
                            int reliefSheetTemp, int supportSheetTemp, const double origin[3],
                            const double normal[3], double depth, bool supportCasting, double thickness,
                            double distanceTolerance, double angleTolerance, FEATURE_RECORD* frec, int* faceLabel,
                            int* edgeLabel, int* count, int** tools, int** operations);

 protected:
  CastRelief(int classId, void* context) : DIEDES_GENERIC_BODY_PARMS(classId, context) {}
};
class KTX_HOST_API CastReliefFactory {
 public:
  static CastRelief* Create();
};

class DieDesTarget;
class FillAreaTarget;

// The features whose tool bodies the library makes from their parameters
// and the target data they are given (the previews' route through a
// temporary feature): clearance, finger-clearance notch, handling core and
// machine relief. Calls are logged and scripted under the class's own name
// ("Clearance::CreateBasicBodies", ...). afl/DieDesFeatures.cpp.
class KTX_HOST_API ToolBodyFeature : public DIEDES_GENERIC_BODY_PARMS {
  KTX_HOST_OBJECT(ToolBodyFeature, "KTX::DieDes::ToolBodyFeature")
 public:
  // The target data the tool bodies are made for (not owned; logged for undo).
  void SetTargetData(DieDesTarget* target);
  DieDesTarget* GetTargetData() const;
  // The feature's generic attribute part (not owned; logged for undo).
  void SetGenericAttrPtr(OM::TaggedObject* attributes);
  OM::TaggedObject* GetGenericAttrPtr() const;
  // The tool bodies for the kernel target body (0: none): new kernel bodies
  // and the boolean each takes part in, both arrays SM_alloc, the caller's.
  // "<Class>::CreateBasicBodies.count" tools (1 when not scripted), all
  // subtract; the answer "<Class>::CreateBasicBodies" not 0 is raised.
  void CreateBasicBodies(FEATURE_RECORD* frec, int mode, int kernelTarget, int* count, int** operations,
                         int** tools);
  // The class's short name ("Clearance").
  const char* FeatureName() const;

 protected:
  ToolBodyFeature(int classId, void* context) : DIEDES_GENERIC_BODY_PARMS(classId, context) {}

 private:
  tag_t targetData_;   // zeroed by the host with the object
  tag_t genericAttr_;
};

#define KTX_TOOL_BODY_FEATURE(Class)                                                          \
  class KTX_HOST_API Class : public ToolBodyFeature {                                        \
    KTX_HOST_OBJECT(Class, "KTX::DieDes::" #Class)                                            \
   protected:                                                                                \
    Class(int classId, void* context) : ToolBodyFeature(classId, context) {}                 \
  };                                                                                         \
  class KTX_HOST_API Class##Factory {                                                        \
   public:                                                                                   \
    static Class* Create();                                                                  \
  };

// Clearance: entities 0-2 and 5 plain, 3 a plane, 4 a direction.
KTX_TOOL_BODY_FEATURE(Clearance)
// Finger-clearance notch: entities 0-4 plain, 5 a plane, 6 a direction; made
// with a generic attribute part (a DieDesGenericAttributes) of its own.
KTX_TOOL_BODY_FEATURE(FingerClearanceNotch)
// Machine relief: entities 0, 1, 3 and 7-9 plain, 2 a plane, 4 and 5
// locations, 6 a direction.
KTX_TOOL_BODY_FEATURE(MachineRelief)
#undef KTX_TOOL_BODY_FEATURE

// The generic attribute part a notch is made with.
class KTX_HOST_API DieDesGenericAttributes : public OM::TaggedObject {
  KTX_HOST_OBJECT(DieDesGenericAttributes, "KTX::DieDes::DieDesGenericAttributes")
 protected:
  DieDesGenericAttributes(int classId, void* context) : OM::TaggedObject(classId, context) {}
};

// Handling core: entities 0 and 3 plain, 1 and 2 planes; its locations travel
// in its module list, whose first item the factory makes (a
// DIEDES_GENERIC_MODULE_PARMS, afl/Module.hpp).
class KTX_HOST_API HandlingCore : public ToolBodyFeature {
  KTX_HOST_OBJECT(HandlingCore, "KTX::DieDes::HandlingCore")
 public:
  int GetNumModuleItems() const;
  // The module item at the position; the index error past the end.
  FEATURE_PARMS* GetNthModuleItem(int index) const;
  // Keeps the item at the end of the list (logged).
  void AppendModuleItem(FEATURE_PARMS* item);
  // Empties the list (logged); the items stay alive.
  void ClearModuleItems();
  // Destroys the module items it still holds, and their items, with itself.
  void cascade_destroy() override;

 protected:
  HandlingCore(int classId, void* context);
  ~HandlingCore() override;

 private:
  OM::TagVla* modules_;
};
class KTX_HOST_API HandlingCoreFactory {
 public:
  static HandlingCore* Create();
};

// Fill area: entities 0, 2 and 4-6 plain, 1 and 3 planes. Its preview is
// built from the static operations (afl/FillArea.cpp), each logged with
// what it is given; the answer "FillArea::<operation>" not 0 is returned
// as that operation's failure, with nothing made.
class KTX_HOST_API FillArea : public DIEDES_GENERIC_BODY_PARMS {
  KTX_HOST_OBJECT(FillArea, "KTX::DieDes::FillArea")
 public:
  // The top of the extrusions: with an upper plane, the foot of its origin
  // on the line through `origin` along `normal`; otherwise `origin` moved
  // along `normal` by "FillArea::GetTopPointStatic.height" (100 when not set).
  static int GetTopPointStatic(int type, tag_t target, const FillAreaTarget* targetData, int upperLimitType,
                               bool hasUpperPlane, const double upperOrigin[3], tag_t upperSheet,
                               double distanceTolerance, double step, const double origin[3],
                               const double normal[3], double topPoint[3]);
  // One new closed curve (ES_curve through the points of the loop's curves,
  // back to the first) per closed loop of the section: an SM_alloc array.
  static int GetClosedProfilesStatic(tag_t section, double distanceTolerance, int* count, tag_t** profiles);
  // One new tool solid per profile: an SM_alloc array.
  static int CreateBasicExtrusionsStatic(FillArea* parms, FEATURE_RECORD* frec, int featureCode, int extrusionKind,
                                         int profileCount, const tag_t* profiles, const double start[3],
                                         const double normal[3], const double origin[3], double height,
                                         double distanceTolerance, int* toolCount, int** tools);
  // Trims the tools in place at a limit (the kernel trim body: 0 for none).
  static int TrimToObjectStatic(FEATURE_RECORD* frec, int featureCode, const double normal[3], int sideFlag,
                                int trimBody, double offset, bool usePlane, const double point[3],
                                const double direction[3], double distanceTolerance, int toolCount,
                                const int* tools);

 protected:
  FillArea(int classId, void* context) : DIEDES_GENERIC_BODY_PARMS(classId, context) {}
};
class KTX_HOST_API FillAreaFactory {
 public:
  static FillArea* Create();
};

// The face-attribute table an attribute item reads into and applies.
struct DIEDES_ATTRIBUTE_TABLE {
  unsigned char zero[8];
  int values[4];
  int count;
  DieAttributesRecord* records;
};

// A die-design feature whose face attributes travel in an attribute item:
// the item keeps any number of face-attribute records and the mode they were
// last applied in. afl/Parms.cpp.
class KTX_HOST_API DieDesAttributeItemParms : public DIEDES_GENERIC_BODY_PARMS {
  KTX_HOST_OBJECT(DieDesAttributeItemParms, "KTX::DieDes::DieDesAttributeItemParms")
 public:
  // Copies up to table->count stored records into table->records (the rest
  // zeroed): 0, or kBadDescriptor without records.
  int ReadAttributeRecords(DIEDES_ATTRIBUTE_TABLE* table) const;
  // Stores the table's records (logged): 0, or kBadDescriptor without them.
  int ApplyAttributeRecords(OM::Object* owner, const DIEDES_ATTRIBUTE_TABLE* table, int mode);
  int AskAttributeRecordCount() const;
  int AskApplyMode() const { return applyMode_; }

 protected:
  DieDesAttributeItemParms(int classId, void* context);
  ~DieDesAttributeItemParms() override;

 private:
  OM::StringVla* records_;
  int applyMode_;
};

// Keyway: its items are its entities, 0 a plane, 1-6 plain (a value item's
// leading integer is the entity's flag).
class KTX_HOST_API Keyway : public DieDesAttributeItemParms {
  KTX_HOST_OBJECT(Keyway, "KTX::DieDes::Keyway")
 protected:
  Keyway(int classId, void* context) : DieDesAttributeItemParms(classId, context) {}
};

class ClampingSlotModule;

// Clamping slot: items 0 a direction, 1 and 3 planes, 2 and 4-8 plain; its
// locations travel in its module list, whose entry 0 the factory makes (a
// ClampingSlotModule, afl/Module.hpp).
class KTX_HOST_API ClampingSlot : public DieDesAttributeItemParms {
  KTX_HOST_OBJECT(ClampingSlot, "KTX::DieDes::ClampingSlot")
 public:
  int GetNumModules() const;
  // The module at the position (null for a deleted one); the index error
  // past the end, also for an empty list.
  ClampingSlotModule* GetModule(int index) const;
  // Test hook: empties the list (logged); the modules are destroyed.
  void ClearModules();
  void cascade_destroy() override;

 protected:
  ClampingSlot(int classId, void* context);
  ~ClampingSlot() override;

 private:
  friend class ClampingSlotFactory;
  OM::TagVla* modules_;
};

// Heel post: items 0 a location, 1 a direction, 2 and 3 planes, 4-8 plain.
class KTX_HOST_API Heelpost : public DieDesAttributeItemParms {
  KTX_HOST_OBJECT(Heelpost, "KTX::DieDes::Heelpost")
 public:
  // The one wall thickness of the created walls that the wall percentage
  // gives: the real answer "Heelpost::CalculateWallThickness" (0 when not
  // set). Logged with what it is given.
  static double CalculateWallThickness(bool a, bool b, bool c, bool d, double length, double width,
                                       double percentage, double tolerance);
  // Where the pad plane stands over the base: a point, a direction and two
  // distances. The stand-in's rule: the point is the pad point, the
  // direction the base normal, the first distance the pad point's height
  // over the base and the second the real answer
  // "Heelpost::DeterminePlaneDistances.second" (0 when not set). 0, or the
  // answer "Heelpost::DeterminePlaneDistances" with nothing written. Logged.
  static int DeterminePlaneDistances(int target, const double padPoint[3], const double baseOrigin[3],
                                     const double baseNormal[3], double point[3], double vector[3],
                                     double distances[2]);

 protected:
  Heelpost(int classId, void* context) : DieDesAttributeItemParms(classId, context) {}
};

class KTX_HOST_API ClampingSlotFactory {
 public:
  static ClampingSlot* Create();
};
class KTX_HOST_API HeelpostFactory {
 public:
  static Heelpost* Create();
};
class KTX_HOST_API KeywayFactory {
 public:
  static Keyway* Create();
};

}  // namespace KTX::DieDes

namespace KTX {

// ---- the extraction table ------------------------------------------------------------
//
// The host keeps one table at a time: the record being edited (null while
// creating) and the tags of the builder's inputs, and beside it one map that
// commits apply to their sections.

class KTX_HOST_API DIEDES_EXTRACTION_TABLE : public Memory::CppMemory {
 public:
  FEATURE_RECORD* frec = nullptr;
  std::vector<tag_t> tags;
};

class KTX_HOST_API DIEDES_EXTRACTION_TABLE_MAP : public Memory::CppMemory {
 public:
  // Maps the section's curves through the table (the section counts it).
  void MapSection(SC_section* section);
  // Maps the collector's objects likewise (the collector counts it).
  void MapCollector(SC_collector* collector);
};

KTX_HOST_API DIEDES_EXTRACTION_TABLE* DIEDES_UTILS__get_extraction_table();
KTX_HOST_API DIEDES_EXTRACTION_TABLE_MAP* DIEDES_UTILS__get_extraction_table_map();
// Makes the map (a map already there is freed first).
KTX_HOST_API void DIEDES_UTILS_create_extraction_table_map_object();
// Makes the table (a table already there is freed first); the tags are copied.
KTX_HOST_API void DIEDES_UTILS_create_extraction_table(FEATURE_RECORD* frec, int count, const tag_t* tags);
// Frees the table and the map; nothing when there are none.
KTX_HOST_API void DIEDES_UTILS_free_extraction_table();

// ---- features from parameters ------------------------------------------------------------

// A new feature record in the work part for the parameters, applied to the
// kernel body (0: none); the feature's body is a new model body. When a body
// maker is registered for the parameters' class, it makes that model body's
// kernel body from the new record (without one, die-shoe parameters get a
// plain solid); its failure is the call's, with no record left. 0, or a message
// number and no record. Scripted: the answer "DIEENG_CreateFrecWithParms"
// not 0 is returned as the failure; "DIEENG_CreateFrecWithParms.norecord"
// not 0 gives 0 and no record.
KTX_HOST_API int DIEENG_CreateFrecWithParms(FEATURE_PARMS* parms, int kernelBody, FEATURE_RECORD** frec);
// Makes the kernel body of a new feature record: 0 and the body (the
// record's from then on), or a message number (a body handed out anyway is
// deleted by the host).
using FeatureBodyMaker = int (*)(FEATURE_RECORD* frec, int* body);
// Registers the body maker of the parameter class of that name (null
// removes it). The host dialogs' module registers the die shoe's when it is
// loaded.
KTX_HOST_API void DIEENG_register_body_maker(const char* parmsClass, FeatureBodyMaker maker);
// Updates the feature's bodies from its parameters: when a body maker is
// registered for the parameters' class and the feature's model body holds a
// kernel body, the maker builds the body anew from the record and the kernel
// body takes its geometry (its tag stays; undo brings the old geometry
// back). 0, or the maker's failure with the body unchanged, or the scripted
// answer "DIEENG_UpdateMultipleBodyFrec" (nothing made).
KTX_HOST_API int DIEENG_UpdateMultipleBodyFrec(FEATURE_RECORD* frec);

// Bounded formatting into a buffer (at most limit - 1 characters and the end).
KTX_HOST_API int STR_snprintf(char* buffer, int limit, const char* format, ...) __attribute__((format(printf, 3, 4)));

}  // namespace KTX
