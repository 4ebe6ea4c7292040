#include "DieEngJA_SpringbackCompensationBuilder.hpp"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

#include "sys/Memory.hpp"

namespace KTX::DieEngJA {

STAMVIK_OM_INSTANCE_SIZE_DEF(SpringbackCompensationBuilder)
STAMVIK_OM_DEFINE_CLASS(SpringbackCompensationBuilder, "KTX::JAX_FEAT_BUILDER", 0x1000,
                        &GetSpringbackCompensationBuilderInstanceSize,
                        STAMVIK_SPRINGBACK_COMPENSATION_BUILDER_ATTRIBUTES)

namespace {

constexpr int kDoublesPerPoint = 3;

int pointCount(const OM::Object* builder, const OM::AttributeId& points) {
  return OM::OM_vask_array_length(builder, points) / kDoublesPerPoint;
}

// The first of point n's doubles, in 64 bits so that no index wraps; a
// negative n is as far out of range as an index past the end.
std::int64_t firstDouble(int n) { return static_cast<std::int64_t>(n) * kDoublesPerPoint; }

void getNthPoint(const OM::Object* builder, const OM::AttributeId& points, int n, Math::Point3& point) {
  const int length = OM::OM_vask_array_length(builder, points);
  const std::int64_t at = firstDouble(n);
  if (at < 0 || at >= length) OM::ThrowIndexOutOfRange(n, 0, -1);
  const auto* array = static_cast<const OM::DoubleVla*>(OM::OM_ask_vla(builder, points));
  // A list whose length is no multiple of three has no whole last point.
  if (at + kDoublesPerPoint > length) array->ThrowIndexOutOfRange(static_cast<int>(at + kDoublesPerPoint - 1));
  const auto i = static_cast<std::size_t>(at);
  point.X = array->Items()[i];
  point.Y = array->Items()[i + 1];
  point.Z = array->Items()[i + 2];
}

void setNthPoint(OM::Object* builder, const OM::AttributeId& points, int n, const Math::Point3& point) {
  const int length = OM::OM_vask_array_length(builder, points);
  const std::int64_t at = firstDouble(n);
  if (at < 0 || at > length) OM::ThrowIndexOutOfRange(n, 0, -1);
  if (at == length) OM::OM_set_array_length(builder, points, length + kDoublesPerPoint);
  auto* array = static_cast<OM::DoubleVla*>(OM::OM_ask_vla(builder, points));
  if (at + kDoublesPerPoint > array->Length())
    array->ThrowIndexOutOfRange(static_cast<int>(at + kDoublesPerPoint - 1));
  if (array->OmState() != OM::Object::kStateNoLog) OM::OM__log(array);
  const auto i = static_cast<std::size_t>(at);
  array->Items()[i] = point.X;
  array->Items()[i + 1] = point.Y;
  array->Items()[i + 2] = point.Z;
}

// The array length of n points, kept within an int however large n is.
int doublesFor(int n) {
  return static_cast<int>(std::clamp<std::int64_t>(firstDouble(n), std::numeric_limits<int>::min(),
                                                   std::numeric_limits<int>::max()));
}

const double* firstCoordinate(const OM::Object* builder, const OM::AttributeId& points) {
  const auto* array = static_cast<const OM::DoubleVla*>(OM::OM_ask_vla(builder, points));
  return array == nullptr || array->Length() == 0 ? nullptr : array->Items().data();
}

// The text may be the stored string itself, so it is copied before the old one goes.
void setFileName(OM::Object* builder, const OM::AttributeId& file, const char* fileName) {
  const std::string copy = fileName != nullptr ? fileName : "";
  OM::OM_set_string(builder, file, copy.c_str());
}

}  // namespace

SpringbackCompensationBuilder* SpringbackCompensationBuilderFactory::Create(CM_part* part, FEATURE_RECORD* frec) {
  return Frame::CreateAndInit<SpringbackCompensationBuilder>(SpringbackCompensationBuilderClassId, [&](auto* made) {
    made->InitCreate(part, frec);
  });
}

void SpringbackCompensationBuilder::InitCreate(CM_part* part, FEATURE_RECORD* frec) { init_object(part, frec); }

char* SpringbackCompensationBuilder::ask_journal_class_name() const {
  return SM_string_copy("Die.SpringbackCompensationBuilder");
}

const char* SpringbackCompensationBuilder::GetProductPointsFile() const {
  return m_productPointsFile != nullptr ? m_productPointsFile : "";
}
void SpringbackCompensationBuilder::SetProductPointsFile(const char* fileName) {
  setFileName(this, m_productPointsFileAttId, fileName);
}
const char* SpringbackCompensationBuilder::GetSprungPointsFile() const {
  return m_sprungPointsFile != nullptr ? m_sprungPointsFile : "";
}
void SpringbackCompensationBuilder::SetSprungPointsFile(const char* fileName) {
  setFileName(this, m_sprungPointsFileAttId, fileName);
}

void SpringbackCompensationBuilder::SetDrawVector(tag_t vector) {
  OM::SetReferencedObject(this, m_drawVectorAttId, vector);
}
void SpringbackCompensationBuilder::SetConvexityDirection(tag_t direction) {
  OM::SetReferencedObject(this, m_setConvexityDirectionAttId, direction);
}
void SpringbackCompensationBuilder::SetInnerCurve(SC_section* section) {
  OM::SetReferencedObject(this, m_innerCurveAttId, section);
}
void SpringbackCompensationBuilder::SetOuterCurve(SC_section* section) {
  OM::SetReferencedObject(this, m_outerCurveAttId, section);
}

int SpringbackCompensationBuilder::GetProductPointCount() const { return pointCount(this, m_productPointsAttId); }
int SpringbackCompensationBuilder::GetSprungPointCount() const { return pointCount(this, m_sprungPointsAttId); }
const double* SpringbackCompensationBuilder::GetProductPointRef() const {
  return firstCoordinate(this, m_productPointsAttId);
}
const double* SpringbackCompensationBuilder::GetSprungPointRef() const {
  return firstCoordinate(this, m_sprungPointsAttId);
}
void SpringbackCompensationBuilder::SetProductPointCount(int n) {
  OM::OM_set_array_length(this, m_productPointsAttId, doublesFor(n));
}
void SpringbackCompensationBuilder::SetSprungPointCount(int n) {
  OM::OM_set_array_length(this, m_sprungPointsAttId, doublesFor(n));
}
void SpringbackCompensationBuilder::GetNthProductPoint(int n, Math::Point3& point) const {
  getNthPoint(this, m_productPointsAttId, n, point);
}
void SpringbackCompensationBuilder::GetNthSprungPoint(int n, Math::Point3& point) const {
  getNthPoint(this, m_sprungPointsAttId, n, point);
}
void SpringbackCompensationBuilder::SetNthProductPoint(int n, Math::Point3 point) {
  setNthPoint(this, m_productPointsAttId, n, point);
}
void SpringbackCompensationBuilder::SetNthSprungPoint(int n, Math::Point3 point) {
  setNthPoint(this, m_sprungPointsAttId, n, point);
}

#define STAMVIK_PLAIN_SETTER(Setter, Type, field)          \
  void SpringbackCompensationBuilder::Setter(Type value) { \
    OM::LogForWrite(this);                                 \
    field = value;                                         \
  }
STAMVIK_PLAIN_SETTER(SetDefinedBy, JA_SPRINGBACK_COMPENSATION_BUILDER_DefinedByType, m_definedBy)
STAMVIK_PLAIN_SETTER(SetResultType, JA_SPRINGBACK_COMPENSATION_BUILDER_ResultSheetType, m_resultType)
STAMVIK_PLAIN_SETTER(SetDegree, JA_SPRINGBACK_COMPENSATION_BUILDER_DegreeType, m_degree)
STAMVIK_PLAIN_SETTER(SetDivisions, int, m_divisions)
STAMVIK_PLAIN_SETTER(SetShapeValue, double, m_shapeValue)
STAMVIK_PLAIN_SETTER(SetDeformationFactor, double, m_deformationFactor)
STAMVIK_PLAIN_SETTER(SetSmoothingFactor, double, m_smoothingFactor)
STAMVIK_PLAIN_SETTER(SetStepSize, double, m_stepSize)
STAMVIK_PLAIN_SETTER(SetDistanceTolerance, double, m_distanceTolerance)
STAMVIK_PLAIN_SETTER(SetAngleTolerance, double, m_angleTolerance)
STAMVIK_PLAIN_SETTER(SetCreateFacets, bool, m_createFacets)
STAMVIK_PLAIN_SETTER(SetCalculateMaxDeviation, bool, m_calculateMaxDeviation)
STAMVIK_PLAIN_SETTER(SetConvexityEnabled, bool, m_convexityEnabled)
STAMVIK_PLAIN_SETTER(SetIsGenericDeform, bool, m_isGenericDeform)
#undef STAMVIK_PLAIN_SETTER

}  // namespace KTX::DieEngJA
