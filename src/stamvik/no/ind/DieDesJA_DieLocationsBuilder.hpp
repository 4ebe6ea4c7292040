// An ordered list of location sub-builders, for owners that take several
// locations; every item it makes gets the list's options and scope.
#pragma once
#include "ClassFrame.hpp"
#include "DieDesJA_DieLocationBuilder.hpp"
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
};

STAMVIK_OM_CLASS_EXPORTS(DieLocationsBuilder)
STAMVIK_OM_INSTANCE_SIZE_DECL(DieLocationsBuilder)

class STAMVIK_API DieLocationsBuilderFactory {
 public:
  static DieLocationsBuilder* Create(PART_part* part, bool selectLocation, bool newPoint, bool newCoordinateSystem,
                                     bool newVector, bool newPlane, bool isOverallRequired, bool allowMultiple);
};

}  // namespace KTX::DieDesJA
