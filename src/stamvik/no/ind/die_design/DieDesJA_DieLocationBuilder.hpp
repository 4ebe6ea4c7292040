// One location asked for by an owning builder: a selected object, or a point,
// coordinate system, direction or plane that is made only when the owner's
// feature is made.
#pragma once
#include "ClassFrame.hpp"
#include "afl/Parms.hpp"
#include "feat/Builder.hpp"
#include "geom/Geometry.hpp"
#include "math/Point3.hpp"
#include "sel/Selection.hpp"

namespace KTX::DieDesJA {

enum JA_DIE_LOCATION_BUILDER_LocationType : int {
  JA_DIE_LOCATION_BUILDER_LocationType_SelectLocation = 0,
  JA_DIE_LOCATION_BUILDER_LocationType_NewPoint = 1,
  JA_DIE_LOCATION_BUILDER_LocationType_NewCoordinateSystem = 2,
  JA_DIE_LOCATION_BUILDER_LocationType_NewVector = 3,
  JA_DIE_LOCATION_BUILDER_LocationType_NewPlane = 4,
};

#define STAMVIK_DIE_LOCATION_BUILDER_ATTRIBUTES(A)                               \
  A(0, m_inputType, ::KTX::Frame::Integer, 0x1)                                  \
  A(1, m_location, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT>, 0x804001)            \
  A(2, m_point, ::KTX::Frame::Tag, 0xC04001)                                     \
  A(3, m_vector, ::KTX::Frame::Tag, 0xC04001)                                    \
  A(4, m_plane, ::KTX::Frame::Tag, 0xC04001)                                     \
  A(5, m_coordinateSystemOrigin, ::KTX::Frame::Point, 0x1)                       \
  A(6, m_coordinateSystemMatrix, ::KTX::Frame::Matrix, 0x1)                      \
  A(7, m_allowOptions, ::KTX::Frame::Logicals<5>, 0x1)                           \
  A(8, m_applIsOverallRequired, ::KTX::Frame::LogicalStarting<true>, 0x1)        \
  A(9, m_applScopeLocation, ::KTX::Frame::Integer, 0x1)

class STAMVIK_API DieLocationBuilder : public JAX_BUILDER {
  STAMVIK_OM_CLASS(DieLocationBuilder, JAX_BUILDER, "KTX::DieDesJA::DieLocationBuilder",
                   STAMVIK_DIE_LOCATION_BUILDER_ATTRIBUTES)

 public:
  static constexpr int kAllowOptionCount = 5;

  // Every option allowed and a location required.
  void InitCreate(PART_part* part);
  // The options in location-type order, then whether a location is required.
  void InitCreateItem(PART_part* part, bool selectLocation, bool newPoint, bool newCoordinateSystem,
                      bool newVector, bool newPlane, bool isOverallRequired);

  char* ask_journal_class_name() const override;
  // 0 while no location is required; otherwise the message of the missing input.
  int validate_nothrow() override;
  int commit() override;
  // An owner that observes the location observes what its selection holds
  // too: the selection tells the location of a new object, and the location
  // tells its owner, as of any other change of what it locates.
  void SetParentHasObservers(bool has) override;
  void Notify(OM::Object* changed) override;

  // Reads the location back from a feature's generic location parameters.
  virtual void FromParms(DieDes::DieDesGenericLocation* parms);
  // Writes the location into a feature's generic location parameters.
  virtual int ToParms(DieDes::DieDesGenericLocation* parms, FEATURE_RECORD* frec) const;
  // Writes the location record into a clamping slot's node data, after
  // checking that the location is complete whether it is required or not.
  virtual int ToParms2(void* nodeData) const;
  virtual void GetCoordinateSystemOrigin(double origin[3]) const;
  virtual void SetCoordinateSystemOrigin(const double origin[3]);
  virtual void GetCoordinateSystemMatrix(double matrix[9]) const;
  virtual void SetCoordinateSystemMatrix(const double matrix[9]);
  // The one location the builder describes: a new tag array and point array
  // (host allocator, the caller's) of one entry each; false and cleared
  // outputs when it describes none. Each output may be null.
  virtual bool GetLocation(int* count, tag_t** tags, Math::Point3** points) const;
  // A model object for the location, made now when the definition has none
  // in the model yet; *created tells whether it is new.
  virtual tag_t GetOutputTag(SO_update_option_t option, bool* created, int* status) const;

  // A selected object for the location; 0 does nothing.
  void AddUserLocation(tag_t tag);
  // Appends the selected object, point, vector and plane to the caller's
  // list (only counted when tags is null).
  void GetSelectedObjects(int* count, tag_t** tags) const;
  // Whether the builder holds the tag as its selected object, point, vector or plane.
  bool HoldsTag(tag_t tag) const;

  JA_DIE_LOCATION_BUILDER_LocationType GetInputType() const {
    return static_cast<JA_DIE_LOCATION_BUILDER_LocationType>(m_inputType);
  }
  void SetInputType(JA_DIE_LOCATION_BUILDER_LocationType type);
  SELECT_OBJECT* GetLocation() const { return m_location; }
  tag_t GetPoint() const { return m_point; }
  void SetPoint(tag_t point);
  tag_t GetVector() const { return m_vector; }
  void SetVector(tag_t vector);
  tag_t GetPlane() const { return m_plane; }
  void SetPlane(tag_t plane);
  bool GetAllowOptionsItem(int index) const;
  void SetAllowOptionsItem(int index, bool allow);
  bool GetApplIsOverallRequired() const { return m_applIsOverallRequired; }
  void SetApplIsOverallRequired(bool required);
  int GetApplScopeLocation() const { return m_applScopeLocation; }
  void SetApplScopeLocation(int scope);
};

STAMVIK_OM_CLASS_EXPORTS(DieLocationBuilder)
STAMVIK_OM_INSTANCE_SIZE_DECL(DieLocationBuilder)

class STAMVIK_API DieLocationBuilderFactory {
 public:
  static DieLocationBuilder* Create(PART_part* part);
  static DieLocationBuilder* CreateItem(PART_part* part, bool selectLocation, bool newPoint,
                                        bool newCoordinateSystem, bool newVector, bool newPlane,
                                        bool isOverallRequired);
};

}  // namespace KTX::DieDesJA
