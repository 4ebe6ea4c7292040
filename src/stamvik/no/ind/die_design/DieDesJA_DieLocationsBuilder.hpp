// An ordered list of location sub-builders, for owners that take several
// locations; every item it makes gets the list's options and scope.
#pragma once
#include "ClassFrame.hpp"
#include "DieDesJA_DieLocationBuilder.hpp"
#include "afl/Module.hpp"
#include "feat/Builder.hpp"
#include "sel/Selection.hpp"

namespace KTX::DieDesJA {

#define STAMVIK_DIE_LOCATIONS_BUILDER_ATTRIBUTES(A)                              \
  A(0, m_list, ::KTX::Frame::Ref<::KTX::UICOMPJA_list>, 0x804001)                \
  A(1, m_allowOptions, ::KTX::Frame::Logicals<5>, 0x1)                           \
  A(2, m_applIsOverallRequired, ::KTX::Frame::LogicalStarting<true>, 0x1)        \
  A(3, m_applScopeLocation, ::KTX::Frame::Integer, 0x1)                          \
  A(4, m_allowMultiple, ::KTX::Frame::Logical, 0x1)

class STAMVIK_API DieLocationsBuilder : public JAX_BASE_BUILDER {
  STAMVIK_OM_CLASS(DieLocationsBuilder, JAX_BASE_BUILDER, "KTX::DieDesJA::DieLocationsBuilder",
                   STAMVIK_DIE_LOCATIONS_BUILDER_ATTRIBUTES)

 public:
  static constexpr int kAllowOptionCount = DieLocationBuilder::kAllowOptionCount;

  // The options in location-type order, whether a location is required, and
  // whether the owner takes more than one.
  void InitCreate(PART_part* part, bool selectLocation, bool newPoint, bool newCoordinateSystem, bool newVector,
                  bool newPlane, bool isOverallRequired, bool allowMultiple);

  char* ask_journal_class_name() const override;
  // 0 for an empty list; 3030432 when any item does not validate.
  int validate_nothrow() override;

  // Makes one item per parameter object, in order, and appends them all.
  virtual void FromParms(DieDes::DieDesGenericLocation** parms, int n);
  // Writes the items' records into the children of the clamping slot's
  // node: 0, or the first failing item's status.
  virtual int ToParmsClampingSlot(DIEDES_NODE_s* node, int n) const;
  // Every item's locations appended in list order; the result is always
  // false, callers judge by the count.
  virtual bool GetLocation(int* count, tag_t** tags, Math::Point3** points) const;
  // Every item's output object in list order; tags and created flags are new
  // arrays (host allocator) of the list's length when asked for. Without a
  // tag array, objects made on the way are put to sleep and logged for
  // deletion. The last item status.
  virtual int GetOutputTags(SO_update_option_t option, int* count, tag_t** tags, bool** created) const;
  // The only item's parameters, when there is exactly one; otherwise 0.
  virtual int ToParmsSingle(DieDes::DieDesGenericLocation* parms, FEATURE_RECORD* frec) const;
  // Writes every item into the parent module's list, which is made to hold
  // exactly the items written: 0, or the first failing item's status.
  virtual int ToParmsParentModule(DIEDES_GENERIC_MODULE_PARMS* parms, FEATURE_RECORD* frec) const;

  // A new item selecting the tag, unless 0 or an item holds it already.
  void AddUserLocation(tag_t tag);
  // The items' selected objects in list order.
  void GetSelectedObjects(int* count, tag_t** tags) const;

  UICOMPJA_list* GetList() const { return m_list; }
  bool GetAllowOptionsItem(int index) const;
  bool GetApplIsOverallRequired() const { return m_applIsOverallRequired; }
  void SetApplIsOverallRequired(bool required);
  int GetApplScopeLocation() const { return m_applScopeLocation; }
  void SetApplScopeLocation(int scope);
  bool GetAllowMultiple() const { return m_allowMultiple; }
  void SetAllowMultiple(bool allow);

 private:
  // Fixed by the owner when the list is made; the items copy them.
  void SetAllowOptionsItem(int index, bool allow);
  // A new item in the work part with the list's options, required flag and scope.
  DieLocationBuilder* NewItem() const;
  // The list's entry as a location item (null for an empty or other entry).
  DieLocationBuilder* ItemAt(int index) const;
};

STAMVIK_OM_CLASS_EXPORTS(DieLocationsBuilder)
STAMVIK_OM_INSTANCE_SIZE_DECL(DieLocationsBuilder)

class STAMVIK_API DieLocationsBuilderFactory {
 public:
  static DieLocationsBuilder* Create(PART_part* part, bool selectLocation, bool newPoint, bool newCoordinateSystem,
                                     bool newVector, bool newPlane, bool isOverallRequired, bool allowMultiple);
};

}  // namespace KTX::DieDesJA
