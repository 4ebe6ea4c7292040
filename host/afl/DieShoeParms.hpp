// The automotive-feature library's die-shoe parameter object: its eight
// entities, the three face-attribute records of its attributes entity and
// its boolean data (one type, one tool-body item and one latent-body item per
// boolean), with the operations the die-shoe builder calls on them.
//
// Like every parameter object it is an object-manager object made in the
// work part and kept by it; its values lie in arrays made with it, so the
// object manager's undo restores them.
#pragma once
#include "afl/Parms.hpp"

namespace KTX {

// The types of a die shoe's booleans, one integer a boolean.
class KTX_HOST_API DIEDES_GENERIC_int : public DIEDES_GENERIC_ENTITY {
  KTX_HOST_OBJECT(DIEDES_GENERIC_int, "KTX::DIEDES_GENERIC_int")
 protected:
  DIEDES_GENERIC_int(int classId, void* context) : DIEDES_GENERIC_ENTITY(classId, context) {}
};

// The tool bodies of one boolean (model bodies by tag).
class KTX_HOST_API DIEDES_GENERIC_bref : public DIEDES_GENERIC_ENTITY {
  KTX_HOST_OBJECT(DIEDES_GENERIC_bref, "KTX::DIEDES_GENERIC_bref")
 public:
  // Lets go of what the item holds for the feature (its tools): 0, or the
  // answer "DIEDES_GENERIC_bref::Release" with nothing changed. Logged.
  int Release(FEATURE_RECORD* frec);

 protected:
  DIEDES_GENERIC_bref(int classId, void* context) : DIEDES_GENERIC_ENTITY(classId, context) {}
};

// The kernel bodies the library built for one boolean's tools (integers),
// one per tool when it has them.
class KTX_HOST_API DIEDES_GENERIC_latent_body : public DIEDES_GENERIC_ENTITY {
  KTX_HOST_OBJECT(DIEDES_GENERIC_latent_body, "KTX::DIEDES_GENERIC_latent_body")
 public:
  // Forgets the bodies (logged); the bodies themselves are not deleted.
  void Empty();

 protected:
  DIEDES_GENERIC_latent_body(int classId, void* context) : DIEDES_GENERIC_ENTITY(classId, context) {}
};

}  // namespace KTX

namespace KTX::DieDes {

// Die shoe: entities 0 and 3 planes, 5 a direction, the others plain (1, 2
// and 4 the sections, 6 the six expressions, 7 the slot flag).
class KTX_HOST_API DieShoe : public DIEDES_GENERIC_BODY_PARMS {
  KTX_HOST_OBJECT(DieShoe, "KTX::DieDes::DieShoe")
 public:
  // ---- the attributes entity: three records ----
  enum AttributeRecord : int { kSlotAttributes = 0, kMainDeckAttributes = 1, kBaseAttributes = 2 };
  // The part reading and writing one of the three records; another index
  // raises the index error.
  DieAttributesPart GetShoeAttributes(int which);
  // A new copy (SM_alloc) of one record, which the caller frees with SM_free.
  DieAttributesRecord* AskShoeAttributes(int which) const;
  // Stores the attributes entity once its records are written (logged,
  // counted).
  void StoreAttributesEntity(OM::Object* owner);
  int AskAttributesStores() const { return attributesStores_; }

  // ---- the boolean data ----
  // The types entity (null until made); Create makes it when missing.
  DIEDES_GENERIC_int* GetDieShoeBooleanTypes() const;
  DIEDES_GENERIC_int* CreateDieShoeBooleanTypes();
  // Stores the types (the types entity made when missing): 0 or the
  // entity's failure. *changed, unless 0, becomes 2 when the types differ
  // from those held.
  int SetDieShoeBooleanTypes(const DIEDES_ENTITY_CONTEXT* context, int count, const int* types, int* changed);
  // Stores an item's tool bodies: the same contract.
  static int SetDieShoeBooleanTools(DIEDES_GENERIC_bref* item, const DIEDES_ENTITY_CONTEXT* context, int count,
                                    const tag_t* tools, int* changed);

  // The item arrays: growing adds empty entries, shrinking drops the last
  // entries (the caller has released and deleted their items). The index
  // error outside the array; entries are logged.
  int GetNumDieShoeBooleanItems() const;
  void SetNumDieShoeBooleanItems(int count);
  DIEDES_GENERIC_bref* GetNthDieShoeBooleanItem(int index) const;
  void SetNthDieShoeBooleanItem(int index, DIEDES_GENERIC_bref* item);
  int GetNumDieShoeSubtractItems() const;
  void SetNumDieShoeSubtractItems(int count);
  DIEDES_GENERIC_latent_body* GetNthDieShoeSubtractItem(int index) const;
  void SetNthDieShoeSubtractItem(int index, DIEDES_GENERIC_latent_body* item);

  // Whether the object tracks changes of its boolean data: true unless the
  // answer "DieShoe::TracksBooleanChanges" is 0. Logged.
  bool TracksBooleanChanges() const;
  // Called once a store changed the boolean data (logged, counted).
  void NoteBooleanDataChanged(FEATURE_RECORD* frec);
  int AskBooleanChanges() const { return booleanChanges_; }
  // Releases and deletes every item and the types entity (logged).
  void ClearDieShoeBooleanData(FEATURE_RECORD* frec);

  // Takes a temporary builder of the commit over and destroys it (logged
  // with the builder's tag, so the order is seen).
  void TakeOverTemporaryBuilder(OM::TaggedObject* builder);

  // Destroys its boolean items and types entity with itself.
  void cascade_destroy() override;

 protected:
  DieShoe(int classId, void* context);
  ~DieShoe() override;

 private:
  OM::TagVla* booleanItems_;
  OM::TagVla* subtractItems_;
  tag_t types_;
  int attributesStores_;
  int booleanChanges_;
  DieAttributesRecord shoeAttributes_[3];
};

class KTX_HOST_API DieShoeFactory {
 public:
  static DieShoe* Create();
};

class KTX_HOST_API DIEDES_GENERIC_brefFactory {
 public:
  // A new free item in the work part.
  static DIEDES_GENERIC_bref* Create();
};
class KTX_HOST_API DIEDES_GENERIC_latent_bodyFactory {
 public:
  static DIEDES_GENERIC_latent_body* Create();
};

}  // namespace KTX::DieDes
