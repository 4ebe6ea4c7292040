// A direction chosen by selection, by a coordinate system or by a direction
// entity; a sub-builder of the die-design builders, the die shoe and the draw bead.
#pragma once
#include "ClassFrame.hpp"
#include "feat/Builder.hpp"
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
  int commit() override;
  void destroy() override;
  void cascade_destroy() override;

  virtual void GetCoordinateSystemOrigin(double origin[3]) const;
  virtual void SetCoordinateSystemOrigin(const double origin[3]);
  virtual void GetCoordinateSystemMatrix(double matrix[9]) const;
  virtual void SetCoordinateSystemMatrix(const double matrix[9]);

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
};

STAMVIK_OM_CLASS_EXPORTS(DieDirectionBuilder)
STAMVIK_OM_INSTANCE_SIZE_DECL(DieDirectionBuilder)

class STAMVIK_API DieDirectionBuilderFactory {
 public:
  static DieDirectionBuilder* Create(PART_part* part, bool allow0, bool allow1, bool allow2, bool allow3,
                                     bool allow4, bool required);
};

}  // namespace KTX::DieDes
