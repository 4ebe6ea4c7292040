// A plane chosen by selection, by a plane entity or by a coordinate system;
// a sub-builder of the die-design body builders and the die shoe.
#pragma once
#include "ClassFrame.hpp"
#include "afl/Parms.hpp"
#include "feat/Builder.hpp"
#include "geom/Geometry.hpp"
#include "sel/Selection.hpp"

namespace KTX::DieDes {

enum JA_DIE_PLANE_BUILDER_plane_type : int {
  JA_DIE_PLANE_BUILDER_plane_type_Selection = 0,
  JA_DIE_PLANE_BUILDER_plane_type_Plane = 1,
  JA_DIE_PLANE_BUILDER_plane_type_CoordinateSystem = 2,
};

// Fields in object order; the attribute indexes say their persistent identity.
#define STAMVIK_DIE_PLANE_BUILDER_ATTRIBUTES(A)                                        \
  A(4, m_coordinateSystemOrigin, ::KTX::Frame::Point, 0x1)                             \
  A(5, m_coordinateSystemMatrix, ::KTX::Frame::Matrix, 0x1)                            \
  A(1, m_selectPlane, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT>, 0x804001)               \
  A(0, m_inputType, ::KTX::Frame::Integer, 0x1)                                        \
  A(2, m_specifyPlane, ::KTX::Frame::Tag, 0x804001)                                    \
  A(8, m_applScopePlane, ::KTX::Frame::Integer, 0x1)                                   \
  A(3, m_reverseSourceDirection, ::KTX::Frame::Logical, 0x1)                           \
  A(6, m_allowOptions, ::KTX::Frame::Logicals<4>, 0x1)                                 \
  A(7, m_applIsOverallRequired, ::KTX::Frame::LogicalStarting<true>, 0x1)

class STAMVIK_API DiePlaneBuilder : public JAX_BUILDER {
  STAMVIK_OM_CLASS(DiePlaneBuilder, JAX_BUILDER, "KTX::DieDes::DiePlaneBuilder", STAMVIK_DIE_PLANE_BUILDER_ATTRIBUTES)

 public:
  static constexpr int kAllowOptionCount = 4;

  void InitCreate(PART_part* part, bool allow0, bool allow1, bool allow2, bool allow3, bool required);

  char* ask_journal_class_name() const override;
  // 0, or 1 (nothing selected) or 2 (no plane entity) while a plane is required.
  int validate_nothrow() override;
  int commit() override;
  void destroy() override;
  void cascade_destroy() override;

  // Reads the plane back from a feature's generic plane parameters.
  virtual void FromParms(DieDesGenericPlane* parms);
  // Writes the plane into a feature's generic plane parameters.
  virtual int ToParms(DieDesGenericPlane* parms, FEATURE_RECORD* frec) const;
  virtual void GetCoordinateSystemOrigin(double origin[3]) const;
  virtual void SetCoordinateSystemOrigin(const double origin[3]);
  virtual void GetCoordinateSystemMatrix(double matrix[9]) const;
  virtual void SetCoordinateSystemMatrix(const double matrix[9]);
  // The plane's entity (0 for none) and frame; false when it cannot be resolved.
  virtual bool GetPlaneDefinition(tag_t* tag, double origin[3], double matrix[9]) const;
  // A plane entity the owner can reference; *created tells whether it is new.
  virtual tag_t GetOutputTag(SO_update_option_t option, bool* created, int* status) const;

  // Appends the selected object and the specified plane to the caller's list
  // (only counted when tags is null).
  void GetSelectedObjects(int* count, tag_t** tags) const;

  JA_DIE_PLANE_BUILDER_plane_type GetInputType() const {
    return static_cast<JA_DIE_PLANE_BUILDER_plane_type>(m_inputType);
  }
  void SetInputType(JA_DIE_PLANE_BUILDER_plane_type type);
  SELECT_OBJECT* GetSelectPlane() const { return m_selectPlane; }
  void SetSelectPlane(SELECT_OBJECT* selection);
  tag_t GetSpecifyPlane() const { return m_specifyPlane; }
  void SetSpecifyPlane(tag_t plane);
  bool GetReverseSourceDirection() const { return m_reverseSourceDirection; }
  void SetReverseSourceDirection(bool reverse);
  bool GetAllowOptionsItem(int index) const;
  void SetAllowOptionsItem(int index, bool allow);
  bool GetApplIsOverallRequired() const { return m_applIsOverallRequired; }
  void SetApplIsOverallRequired(bool required);
  int GetApplScopePlane() const { return m_applScopePlane; }
  void SetApplScopePlane(int scope);

 private:
  void implement_destroy();
};

STAMVIK_OM_CLASS_EXPORTS(DiePlaneBuilder)
STAMVIK_OM_INSTANCE_SIZE_DECL(DiePlaneBuilder)

class STAMVIK_API DiePlaneBuilderFactory {
 public:
  static DiePlaneBuilder* Create(PART_part* part, bool allow0, bool allow1, bool allow2, bool allow3, bool required);
};

}  // namespace KTX::DieDes
