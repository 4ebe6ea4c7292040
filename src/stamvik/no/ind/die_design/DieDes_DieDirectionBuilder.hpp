// A direction chosen by selection, by a coordinate system or by a direction
// entity; a sub-builder of the die-design builders, the die shoe and the draw bead.
#pragma once
#include "ClassFrame.hpp"
#include "afl/Parms.hpp"
#include "feat/Builder.hpp"
#include "geom/Geometry.hpp"
#include "sel/Selection.hpp"

namespace KTX::DieDes {

enum JA_DIE_DIRECTION_BUILDER_direction_type : int {
  JA_DIE_DIRECTION_BUILDER_direction_type_Selection = 0,
  JA_DIE_DIRECTION_BUILDER_direction_type_CoordinateSystem = 1,
  JA_DIE_DIRECTION_BUILDER_direction_type_Vector = 2,
};

#define STAMVIK_DIE_DIRECTION_BUILDER_ATTRIBUTES(A)                              \
  A(0, m_inputType, ::KTX::Frame::Integer, 0x1)                                  \
  A(1, m_direction, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT>, 0x804001)           \
  A(2, m_vector, ::KTX::Frame::Tag, 0x804001)                                    \
  A(3, m_reverseSourceDirection, ::KTX::Frame::Logical, 0x1)                     \
  A(4, m_coordinateSystemOrigin, ::KTX::Frame::Point, 0x1)                       \
  A(5, m_coordinateSystemMatrix, ::KTX::Frame::Matrix, 0x1)                      \
  A(6, m_allowOptions, ::KTX::Frame::Logicals<5>, 0x1)                           \
  A(7, m_applIsOverallRequired, ::KTX::Frame::LogicalStarting<true>, 0x1)        \
  A(8, m_applScopeDirection, ::KTX::Frame::Integer, 0x1)

class STAMVIK_API DieDirectionBuilder : public JAX_BUILDER {
  STAMVIK_OM_CLASS(DieDirectionBuilder, JAX_BUILDER, "KTX::DieDes::DieDirectionBuilder",
                   STAMVIK_DIE_DIRECTION_BUILDER_ATTRIBUTES)

 public:
  static constexpr int kAllowOptionCount = 5;

  // Options 0 to 2 allow the three direction types; 3 and 4 are kept for the owner.
  void InitCreate(PART_part* part, bool allow0, bool allow1, bool allow2, bool allow3, bool allow4, bool required);

  char* ask_journal_class_name() const override;
  // 0, or 1 (nothing selected) or 2 (no direction entity) while a direction is required.
  int validate_nothrow() override;
  int commit() override;
  void destroy() override;
  void cascade_destroy() override;

  // Reads the direction back from a feature's generic direction parameters.
  virtual void FromParms(DieDesGenericDirection* parms);
  // Writes the direction into a feature's generic direction parameters.
  virtual int ToParms(DieDesGenericDirection* parms, FEATURE_RECORD* frec) const;
  virtual void GetCoordinateSystemOrigin(double origin[3]) const;
  virtual void SetCoordinateSystemOrigin(const double origin[3]);
  virtual void GetCoordinateSystemMatrix(double matrix[9]) const;
  virtual void SetCoordinateSystemMatrix(const double matrix[9]);
  // The direction's entity (0 for none) and frame (its third row is the
  // direction, reversal applied); false when it cannot be resolved.
  virtual bool GetDirectionDoubles(tag_t* tag, double origin[3], double matrix[9]) const;
  // Each output given starts as tag 0, point (0, 0, 0), vector (0, 0, -1).
  virtual bool GetDirectionVector(tag_t* tag, double point[3], double vector[3]) const;
  // Each output given starts as tag 0, point (0, 0, 0), the identity.
  virtual bool GetDirectionMatrix(tag_t* tag, double point[3], double matrix[9]) const;
  // A direction entity the owner can reference; *created tells whether it is new.
  virtual tag_t GetOutputTag(SO_update_option_t option, bool* created, int* status) const;

  // Appends the selected object and the direction entity to the caller's
  // list (only counted when tags is null).
  void GetSelectedObjects(int* count, tag_t** tags) const;

  // Makes the direction a direction entity through the point along the
  // vector, not reversed.
  void SetDirectionTo(const double point[3], const double vector[3]);
  // The axes of the work coordinate system and of the absolute system. The
  // negative forms keep the positive axis in the entity and set the reverse flag.
  void SetDirectionToXcWork();
  void SetDirectionToYcWork();
  void SetDirectionToZcWork();
  void SetDirectionToXAbsolute();
  void SetDirectionToYAbsolute();
  void SetDirectionToZAbsolute();
  void SetDirectionToNegXcWork();
  void SetDirectionToNegYcWork();
  void SetDirectionToNegZcWork();
  void SetDirectionToNegXAbsolute();
  void SetDirectionToNegYAbsolute();
  void SetDirectionToNegZAbsolute();

  JA_DIE_DIRECTION_BUILDER_direction_type GetInputType() const {
    return static_cast<JA_DIE_DIRECTION_BUILDER_direction_type>(m_inputType);
  }
  void SetInputType(JA_DIE_DIRECTION_BUILDER_direction_type type);
  SELECT_OBJECT* GetDirection() const { return m_direction; }
  void SetDirection(SELECT_OBJECT* selection);
  tag_t GetVector() const { return m_vector; }
  void SetVector(tag_t vector);
  bool GetReverseSourceDirection() const { return m_reverseSourceDirection; }
  void SetReverseSourceDirection(bool reverse);
  bool GetAllowOptionsItem(int index) const;
  void SetAllowOptionsItem(int index, bool allow);
  bool GetApplIsOverallRequired() const { return m_applIsOverallRequired; }
  void SetApplIsOverallRequired(bool required);
  int GetApplScopeDirection() const { return m_applScopeDirection; }
  void SetApplScopeDirection(int scope);

 private:
  void implement_destroy();
  void SetDirectionToWorkAxis(int row);
};

STAMVIK_OM_CLASS_EXPORTS(DieDirectionBuilder)
STAMVIK_OM_INSTANCE_SIZE_DECL(DieDirectionBuilder)

class STAMVIK_API DieDirectionBuilderFactory {
 public:
  static DieDirectionBuilder* Create(PART_part* part, bool allow0, bool allow1, bool allow2, bool allow3,
                                     bool allow4, bool required);
};

}  // namespace KTX::DieDes
