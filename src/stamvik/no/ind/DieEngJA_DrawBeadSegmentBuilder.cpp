#include "DieEngJA_DrawBeadSegmentBuilder.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

#include "CommitPath.hpp"
#include "DieEngJA_DrawBeadItems.hpp"
#include "Messages.hpp"
#include "Support.hpp"
#include "afl/DrawBeadParms.hpp"
#include "exp/Expression.hpp"
#include "geom/Curve.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "sys/Settings.hpp"
#include "upd/Update.hpp"

namespace KTX::DieEngJA {

STAMVIK_OM_INSTANCE_SIZE_DEF(DrawBeadSegmentBuilder)
STAMVIK_OM_DEFINE_CLASS(DrawBeadSegmentBuilder, "KTX::JAX_BUILDER", 0x1000, &GetDrawBeadSegmentBuilderInstanceSize,
                        STAMVIK_DRAW_BEAD_SEGMENT_BUILDER_ATTRIBUTES)

namespace {

constexpr const char* kSource = "DieEngJA_DrawBeadSegmentBuilder";
// Consecutive segments keep this many distance tolerances of the bead apart.
constexpr double kClearanceInTolerances = 25.0;
constexpr double kTiny = 1e-10;
constexpr double kFullPercent = 99.9999999999;
constexpr int kTemporaryLayer = 258;
constexpr int kUpdateMode = 3;

using Messages::kNoDatabaseParms;
using Messages::kSegmentBeadHeightTooSmall;
using Messages::kSegmentFemaleDepthTooSmall;
using Messages::kSegmentFemaleRadiiTooSmall;
using Messages::kSegmentFemaleWidthTooSmall;
using Messages::kSegmentMaleWidthTooSmall;
using Messages::kSegmentTopRadiiTooSmall;
using Messages::kSegmentTopRadiiWiderThanBead;
using Messages::kSegmentTopRadiusWarning;

enum Item : int { kFlags = 0, kSection = 1, kWallAngles = 2, kWithUnit = 3, kWithoutUnit = 4, kItems = 5 };

using Stamvik::ExpressionValue;

bool hasPath(const OnPathDimBuilder* location) { return location != nullptr && location->HasPath(); }

double valueIn(const OnPathDimBuilder* location, bool percent) {
  if (location == nullptr) return 0.0;
  return percent ? location->GetPercentValue() : location->GetLengthValue();
}

// A position not below the path's start nor, in percent, beyond its end. A
// length beyond the end is kept: the path may be short only while its
// inputs come in, and the commit fits the segment to the path it builds.
double correctPathValue(const OnPathDimBuilder* location, double value) {
  if (value < kTiny) return 0.0;
  if (location->IsPercentMode()) return value > kFullPercent ? 100.0 : value;
  return value;
}

EXP_expression* newExpression(int measure) {
  EXP_expression* made = nullptr;
  if (int rc = EXP_create_sys_exp_with_units_all_errors("0.0", UNIT_ask_default_unit_obj_for_measure(measure), &made);
      rc != 0)
    ERROR_raise(kSource, 69, rc, "the segment's expression cannot be made");
  return made;
}

OnPathDimBuilder* newLocation(EXP_expression* expression, tag_t path) {
  if (EXP__ask_unit_type(expression) != 0) return OnPathDimBuilderFactory::New(expression, path, false, false, false);
  return OnPathDimBuilderFactory::Parameter(expression, path, false, true, false, false);
}

void checkParms(const DIEDES_GEN_C_DRBD_SEG_PARMS* parms, int line) {
  if (parms == nullptr) ERROR_raise(kSource, line, kNoDatabaseParms, "Segment parms cannot be NULL.");
  if (!OM::OM_is_subclass(parms->OmClassId(), DIEDES_GEN_C_DRBD_SEG_PARMS::ThisClassId))
    ERROR_raise(kSource, line, kNoDatabaseParms, "Parm is not a Draw Bead Segment.");
}

// The expressions of an item, at least `least` positions (an item of another
// kind reads as empty).
std::vector<EXP_expression*> expressionsOf(const DIEDES_GENERIC_BODY_PARMS* parms, int index, std::size_t least) {
  std::vector<EXP_expression*> out;
  const DIEDES_GENERIC_ENTITY* entity = Items::item(parms, index);
  if (entity != nullptr && entity->AskKind() == DIEDES_GENERIC_ENTITY::kExpressions)
    for (int i = 0; i < entity->AskCount(); ++i) out.push_back(entity->AskExpression(i));
  if (out.size() < least) out.resize(least, nullptr);
  return out;
}

}  // namespace

DrawBeadSegmentBuilder* DrawBeadSegmentBuilderFactory::Create(DrawBeadBuilder* bead, FEATURE_RECORD* frec) {
  return Frame::CreateAndInit<DrawBeadSegmentBuilder>(DrawBeadSegmentBuilderClassId, [&](DrawBeadSegmentBuilder* made) {
    made->InitCreate(bead, frec);
  });
}

tag_t DrawBeadSegmentBuilder::MakeTemporaryPath() {
  const double start[3] = {0, 0, 0};
  const double end[3] = {1, 0, 0};
  const tag_t line = ES_create_line_in_part(PART_ask_work_part(), start, end);
  if (line != 0) ES_layer_move_entity(line, kTemporaryLayer);
  return line;
}

double DrawBeadSegmentBuilder::DistanceTolerance() const {
  return m_myParentDrawBeadBuilder != nullptr ? m_myParentDrawBeadBuilder->GetDistanceTolerance()
                                              : TOLER_ask_distance_tol();
}

// A stored segment gets its expressions, locations and temporary line from
// FromParms.
void DrawBeadSegmentBuilder::InitCreate(DrawBeadBuilder* bead, FEATURE_RECORD* frec) {
  init_object(PART_ask_work_part());
  SetParentDrawBeadBuilder(bead);
  if (frec == nullptr) {
    if (const tag_t line = MakeTemporaryPath(); line != 0) SetTemporaryPath(line);
    const struct {
      const OM::AttributeId& attribute;
      int measure;
    } expressions[] = {
        {m_femaleLeftRadiusAttId, 0},     {m_femaleRightRadiusAttId, 0}, {m_maleLeftWidthAttId, 0},
        {m_maleLeftTopRadiusAttId, 0},    {m_maleLeftSheetRadiusAttId, 0}, {m_maleLeftWallAngleAttId, 7},
        {m_maleRightWidthAttId, 0},       {m_maleRightTopRadiusAttId, 0}, {m_maleRightSheetRadiusAttId, 0},
        {m_maleRightWallAngleAttId, 7},   {m_maleBeadHeightAttId, 0},    {m_maleTransitionLengthAttId, 0},
    };
    for (const auto& e : expressions) OM::OM_set_pointer(this, e.attribute, newExpression(e.measure));
    OM::OM_set_pointer(this, m_startLocationAttId,
                       OnPathDimBuilderFactory::New(newExpression(0), m_temporaryPath, false, false, false));
    OM::OM_set_pointer(this, m_endLocationAttId,
                       OnPathDimBuilderFactory::New(newExpression(0), m_temporaryPath, false, false, false));
  }
  SetSegmentClearance(kClearanceInTolerances * DistanceTolerance());
  AddParentObservers();
}

char* DrawBeadSegmentBuilder::ask_journal_class_name() const { return SM_string_copy("Die.DrawBeadSegmentBuilder"); }

int DrawBeadSegmentBuilder::commit() { return 0; }

void DrawBeadSegmentBuilder::destroy() { cascade_destroy(); }

void DrawBeadSegmentBuilder::cascade_destroy() {
  if (const tag_t path = m_temporaryPath; path != 0) {
    Stamvik::RunNoted("UPDATE_log_entity_to_delete", [&] {
      SetTemporaryPath(0);
      RM_set_sleep_state(path, true);
      UPDATE_log_entity_to_delete(path);
    });
  }
  JAX_BUILDER::cascade_destroy();
}

#define STAMVIK_PLAIN_SETTER(Setter, Type, field)  \
  void DrawBeadSegmentBuilder::Setter(Type value) { \
    OM::LogForWrite(this);                         \
    field = value;                                 \
  }
STAMVIK_PLAIN_SETTER(SetSymmetry, bool, m_symmetry)
STAMVIK_PLAIN_SETTER(SetFlow, bool, m_flow)
STAMVIK_PLAIN_SETTER(SetMaleBeadWidthType, JA_DRAW_BEAD_SEGMENT_BUILDER_MaleBeadWidthTypes, m_maleBeadWidthType)
STAMVIK_PLAIN_SETTER(SetChangesPending, bool, m_changesPending)
STAMVIK_PLAIN_SETTER(SetSkipValidate, bool, m_skipValidate)
STAMVIK_PLAIN_SETTER(SetSegmentClearance, double, m_segmentClearance)
#undef STAMVIK_PLAIN_SETTER

void DrawBeadSegmentBuilder::SetTemporaryPath(tag_t path) {
  OM::SetReferencedObject(this, m_temporaryPathAttId, path);
}
void DrawBeadSegmentBuilder::SetTemporaryStartPoint(tag_t point) {
  OM::SetReferencedObject(this, m_temporaryStartPointAttId, point);
}
void DrawBeadSegmentBuilder::SetTemporaryEndPoint(tag_t point) {
  OM::SetReferencedObject(this, m_temporaryEndPointAttId, point);
}
void DrawBeadSegmentBuilder::SetParentDrawBeadBuilder(DrawBeadBuilder* bead) {
  OM::SetReferencedObject(this, m_myParentDrawBeadBuilderAttId, bead);
}

bool DrawBeadSegmentBuilder::GetTaperBead() const {
  return m_myParentDrawBeadBuilder != nullptr && m_myParentDrawBeadBuilder->GetTaperBead();
}
int DrawBeadSegmentBuilder::GetDefinitionType() const {
  return m_myParentDrawBeadBuilder == nullptr ? 0 : m_myParentDrawBeadBuilder->GetTransitionDefinition();
}
int DrawBeadSegmentBuilder::GetFemaleWidthOption() const {
  return m_myParentDrawBeadBuilder == nullptr ? 0 : m_myParentDrawBeadBuilder->GetFemaleWidthType();
}

void DrawBeadSegmentBuilder::SetFemaleWidthOption(int option) {
  if (option == JA_DRAW_BEAD_BUILDER_FemaleWidthTypes_Derived)
    OM::OM_set_int(this, m_maleBeadWidthTypeAttId, JA_DRAW_BEAD_SEGMENT_BUILDER_MaleBeadWidthTypes_Constant);
}

void DrawBeadSegmentBuilder::AddParentObservers() {
  SetSkipValidate(false);
  if (m_startLocation != nullptr) m_startLocation->SetParentHasObservers(true);
  if (m_endLocation != nullptr) m_endLocation->SetParentHasObservers(true);
}

void DrawBeadSegmentBuilder::RemoveParentObservers() {
  if (m_startLocation != nullptr) m_startLocation->SetParentHasObservers(false);
  if (m_endLocation != nullptr) m_endLocation->SetParentHasObservers(false);
  SetSkipValidate(true);
}

// ---- definition ------------------------------------------------------------------

void DrawBeadSegmentBuilder::GetData(DrawBeadSegmentData* data) const {
  data->start = m_startLocation != nullptr ? m_startLocation->GetValueExpression() : nullptr;
  data->end = m_endLocation != nullptr ? m_endLocation->GetValueExpression() : nullptr;
  data->femaleLeftRadius = m_femaleLeftRadius;
  data->femaleRightRadius = m_femaleRightRadius;
  data->symmetry = m_symmetry;
  data->flow = m_symmetry && m_flow;
  data->widthType = m_maleBeadWidthType;
  EXP_expression* const male[10] = {m_maleLeftWidth,      m_maleLeftTopRadius,    m_maleLeftSheetRadius,
                                    m_maleLeftWallAngle,  m_maleRightWidth,       m_maleRightTopRadius,
                                    m_maleRightSheetRadius, m_maleRightWallAngle, m_maleBeadHeight,
                                    m_maleTransitionLength};
  std::copy(male, male + 10, data->male);
}

void DrawBeadSegmentBuilder::SetData(const DrawBeadSegmentData& data) {
  const tag_t oldPath = m_temporaryPath;
  const tag_t line = MakeTemporaryPath();
  SetTemporaryPath(line);

  const OM::AttributeId* const maleAttributes[10] = {
      &m_maleLeftWidthAttId,  &m_maleLeftTopRadiusAttId,  &m_maleLeftSheetRadiusAttId,  &m_maleLeftWallAngleAttId,
      &m_maleRightWidthAttId, &m_maleRightTopRadiusAttId, &m_maleRightSheetRadiusAttId, &m_maleRightWallAngleAttId,
      &m_maleBeadHeightAttId, &m_maleTransitionLengthAttId};
  EXP_expression* const current[10] = {m_maleLeftWidth,       m_maleLeftTopRadius,  m_maleLeftSheetRadius,
                                       m_maleLeftWallAngle,   m_maleRightWidth,     m_maleRightTopRadius,
                                       m_maleRightSheetRadius, m_maleRightWallAngle, m_maleBeadHeight,
                                       m_maleTransitionLength};
  Items::replaceExpression(this, m_femaleLeftRadiusAttId, m_femaleLeftRadius, data.femaleLeftRadius);
  Items::replaceExpression(this, m_femaleRightRadiusAttId, m_femaleRightRadius, data.femaleRightRadius);
  for (int i = 0; i < 10; ++i) Items::replaceExpression(this, *maleAttributes[i], current[i], data.male[i]);

  SetSymmetry(data.symmetry);
  SetFlow(data.symmetry && data.flow);
  SetMaleBeadWidthType(static_cast<JA_DRAW_BEAD_SEGMENT_BUILDER_MaleBeadWidthTypes>(data.widthType));

  // The locations it replaces stop telling the segment and go with the next update.
  for (OnPathDimBuilder* old : {m_startLocation, m_endLocation}) {
    if (old == nullptr) continue;
    old->SetParentHasObservers(false);
    UPDATE_log_object_to_delete(old);
  }
  OM::OM_set_pointer(this, m_startLocationAttId, newLocation(data.start, line));
  OM::OM_set_pointer(this, m_endLocationAttId, newLocation(data.end, line));

  AddParentObservers();
  if (oldPath != 0 && oldPath != line) {
    RM_set_sleep_state(oldPath, true);
    UPDATE_log_entity_to_delete(oldPath);
  }
}

tag_t DrawBeadSegmentBuilder::GetUserPath(int which) const {
  const OnPathDimBuilder* location = which == 0 ? m_startLocation : m_endLocation;
  const tag_t path = location != nullptr ? location->GetPathCurve() : 0;
  return path == m_temporaryPath ? 0 : path;
}

void DrawBeadSegmentBuilder::GetStartOrigin(double point[3]) const {
  point[0] = point[1] = point[2] = 0;
  if (m_startLocation != nullptr) m_startLocation->GetOriginPoint(point);
}

// ---- positions ----------------------------------------------------------------------

double DrawBeadSegmentBuilder::GetToleranceAsPathLength() const { return std::max(m_segmentClearance - kTiny, kTiny); }

double DrawBeadSegmentBuilder::GetToleranceAsPathPercent() const {
  if (m_startLocation == nullptr || !m_startLocation->HasPath()) return kTiny;
  const double length = m_startLocation->GetPathLength();
  if (!(length > kTiny)) return kTiny;
  return std::max(100.0 * (m_segmentClearance - kTiny) / length, kTiny);
}

int DrawBeadSegmentBuilder::NotifySetExpressionValue(int which, double value) {
  OnPathDimBuilder* location = which == 0 ? m_startLocation : m_endLocation;
  if (location == nullptr) return 0;
  try {
    Stamvik::HostBlock<char> text(EXP_format_value(value));
    EXP_expression* expression = location->GetValueExpression();
    EXP_edit_exp_all_errors(OM::OM_ask_object_tag(ask_owning_part()), expression, text.get());
    text.reset();
    EXP_ask_value_of_exp(expression);
    if (location->HasPath()) location->Update(kUpdateMode);
  } catch (const std::exception& e) {
    return Error::HandleAsBuilder(e, kSource, 288);
  }
  return 0;
}

void DrawBeadSegmentBuilder::Notify(OM::Object* changed) {
  if (m_changesPending || changed == nullptr) return;
  SetChangesPending(true);
  try {
    if (changed == m_startLocation && hasPath(m_startLocation) && m_endLocation != nullptr) {
      const bool percent = m_endLocation->IsPercentMode();
      const double s = valueIn(m_startLocation, percent);
      const double e = valueIn(m_endLocation, percent);
      const double g = percent ? GetToleranceAsPathPercent() : GetToleranceAsPathLength();
      if (s > e - g) {
        NotifySetExpressionValue(1, correctPathValue(m_endLocation, s + g));
        NotifyUpdateNextSegment();
      } else {
        NotifyUpdatePreviousSegment();
      }
    } else if (changed == m_endLocation && hasPath(m_endLocation) && m_startLocation != nullptr) {
      const bool percent = m_startLocation->IsPercentMode();
      const double s = valueIn(m_startLocation, percent);
      const double e = valueIn(m_endLocation, percent);
      const double g = percent ? GetToleranceAsPathPercent() : GetToleranceAsPathLength();
      if (e >= s + g) {
        NotifyUpdateNextSegment();
      } else {
        NotifySetExpressionValue(0, correctPathValue(m_startLocation, e - g));
        NotifyUpdatePreviousSegment();
      }
    }
  } catch (const std::exception& e) {
    Error::HandleAsBuilder(e, kSource, 321);
  }
  SetChangesPending(false);
}

void DrawBeadSegmentBuilder::NotifyUpdateNextSegment() {
  if (!hasPath(m_startLocation) || !hasPath(m_endLocation) || m_myParentDrawBeadBuilder == nullptr) return;
  try {
    if (DrawBeadSegmentBuilder* next = m_myParentDrawBeadBuilder->GetNextSegment(this); next != nullptr)
      next->NotifyPushStartValue(m_endLocation->GetLengthValue(), m_endLocation->GetPercentValue());
  } catch (const std::exception& e) {
    Error::HandleAsBuilder(e, kSource, 332);
  }
}

void DrawBeadSegmentBuilder::NotifyUpdatePreviousSegment() {
  if (!hasPath(m_startLocation) || !hasPath(m_endLocation) || m_myParentDrawBeadBuilder == nullptr) return;
  try {
    if (DrawBeadSegmentBuilder* previous = m_myParentDrawBeadBuilder->GetPreviousSegment(this); previous != nullptr)
      previous->NotifyPushEndValue(m_startLocation->GetLengthValue(), m_startLocation->GetPercentValue());
  } catch (const std::exception& e) {
    Error::HandleAsBuilder(e, kSource, 342);
  }
}

int DrawBeadSegmentBuilder::NotifyPushStartValue(double length, double percent) {
  SetChangesPending(true);
  int rc = 0;
  if (hasPath(m_startLocation) && hasPath(m_endLocation)) {
    const double pathLength = m_startLocation->GetPathLength();
    const bool percentMode = m_startLocation->IsPercentMode();
    double candidate = 0;
    if (percentMode) {
      candidate = std::fabs(pathLength) > kTiny ? percent + 100.0 * m_segmentClearance / pathLength : percent;
      if (candidate > kFullPercent) candidate = 100.0;
    } else {
      // Not held to the path's length: the commit fits it (see correctPathValue).
      candidate = length + m_segmentClearance;
    }
    if (candidate > valueIn(m_startLocation, percentMode) + kTiny) {
      rc = NotifySetExpressionValue(0, candidate);
      SetChangesPending(false);
      Notify(m_startLocation);
    }
  }
  SetChangesPending(false);
  return rc;
}

int DrawBeadSegmentBuilder::NotifyPushEndValue(double length, double percent) {
  SetChangesPending(true);
  int rc = 0;
  if (hasPath(m_startLocation) && hasPath(m_endLocation)) {
    const double pathLength = m_endLocation->GetPathLength();
    const bool percentMode = m_endLocation->IsPercentMode();
    double candidate = 0;
    if (percentMode)
      candidate = std::fabs(pathLength) > kTiny ? percent - 100.0 * m_segmentClearance / pathLength : percent;
    else
      candidate = length - m_segmentClearance;
    if (candidate < kTiny) candidate = 0.0;
    if (candidate < valueIn(m_endLocation, percentMode) - kTiny) {
      rc = NotifySetExpressionValue(1, candidate);
      SetChangesPending(false);
      Notify(m_endLocation);
    }
  }
  SetChangesPending(false);
  return rc;
}

void DrawBeadSegmentBuilder::SetNewPath(tag_t path) {
  const bool wasClear = !m_changesPending;
  SetChangesPending(true);
  OnPathDimBuilder* const locations[2] = {m_startLocation, m_endLocation};
  for (OnPathDimBuilder* location : locations)
    if (location != nullptr) location->SetUpdateHold(true);
  try {
    if (path == 0) path = m_temporaryPath;
    for (OnPathDimBuilder* location : locations)
      if (location != nullptr && location->GetPathSelection() != nullptr)
        location->GetPathSelection()->set_selected_tag(path);
    for (OnPathDimBuilder* location : locations)
      if (hasPath(location)) location->Update(kUpdateMode);
  } catch (const std::exception& e) {
    Error::HandleAsBuilder(e, kSource, 413);
  }
  for (OnPathDimBuilder* location : locations)
    if (location != nullptr) location->SetUpdateHold(false);
  if (wasClear) SetChangesPending(false);
}

int DrawBeadSegmentBuilder::FitToPath() {
  const bool wasClear = !m_changesPending;
  SetChangesPending(true);
  int rc = 0;
  const double length = m_startLocation != nullptr ? m_startLocation->GetPathLength() : 0.0;
  OnPathDimBuilder* const locations[2] = {m_startLocation, m_endLocation};
  for (int which = 0; which < 2; ++which) {
    const OnPathDimBuilder* location = locations[which];
    if (!hasPath(location) || location->IsPercentMode() || !(location->GetLengthValue() > length + kTiny)) continue;
    if (int written = NotifySetExpressionValue(which, length); rc == 0) rc = written;
  }
  if (wasClear) SetChangesPending(false);
  return rc;
}

int DrawBeadSegmentBuilder::UpdateStartAndEndByParameter(double start, double end) {
  SetChangesPending(true);
  int rc = 0;
  const double parameters[2] = {start, end};
  OnPathDimBuilder* const locations[2] = {m_startLocation, m_endLocation};
  for (int which = 0; which < 2; ++which) {
    const OnPathDimBuilder* location = locations[which];
    if (location == nullptr) continue;
    const double value =
        location->IsPercentMode() ? 100.0 * parameters[which] : parameters[which] * location->GetPathLength();
    if (int written = NotifySetExpressionValue(which, value); rc == 0) rc = written;
  }
  SetChangesPending(false);
  Notify(m_startLocation);
  Notify(m_endLocation);
  return rc;
}

void DrawBeadSegmentBuilder::SetPathUsingLastSegmentPath() {
  if (m_myParentDrawBeadBuilder == nullptr) return;
  DrawBeadSegmentBuilder* last = m_myParentDrawBeadBuilder->GetLastSegment(this);
  if (last == nullptr) return;
  if (const tag_t path = last->GetUserPath(0); path != 0) SetNewPath(path);
  const OnPathDimBuilder* lastEnd = last->GetEndLocation();
  NotifyPushStartValue(lastEnd != nullptr ? lastEnd->GetLengthValue() : 0.0,
                       lastEnd != nullptr ? lastEnd->GetPercentValue() : 0.0);
}

// ---- validation -----------------------------------------------------------------------

int DrawBeadSegmentBuilder::validate_nothrow() {
  if (m_skipValidate) return 0;
  const DrawBeadBuilder* bead = m_myParentDrawBeadBuilder;
  const double t = DistanceTolerance() + kTiny;
  const int output = bead != nullptr ? bead->GetOutput() : 0;
  const bool taper = bead != nullptr && bead->GetTaperBead();
  const double thickness = bead != nullptr ? ExpressionValue(bead->GetMetalThickness()) : 0.0;
  const double clearance = bead != nullptr ? ExpressionValue(bead->GetClearance()) : 0.0;
  const double femaleWidth = bead != nullptr ? ExpressionValue(bead->GetFemaleWidthValue()) : 0.0;
  if (output < JA_DRAW_BEAD_BUILDER_OutputTypes_Male) return 0;

  const double leftTop = ExpressionValue(m_maleLeftTopRadius), rightTop = ExpressionValue(m_maleRightTopRadius);
  const double height = ExpressionValue(m_maleBeadHeight);
  if (leftTop < t || rightTop < t) return kSegmentTopRadiiTooSmall;
  if (height < t) return kSegmentBeadHeightTooSmall;
  double width = 0;
  if (m_maleBeadWidthType == JA_DRAW_BEAD_SEGMENT_BUILDER_MaleBeadWidthTypes_Derived && !taper) {
    width = femaleWidth - 2.0 * (thickness + clearance);
    if (width < t) return kSegmentMaleWidthTooSmall;
  } else {
    const double left = ExpressionValue(m_maleLeftWidth), right = ExpressionValue(m_maleRightWidth);
    if (left < t || right < t) return kSegmentMaleWidthTooSmall;
    width = left + right;
  }
  if (leftTop + rightTop > width + kTiny) return kSegmentTopRadiiWiderThanBead;

  if ((output == JA_DRAW_BEAD_BUILDER_OutputTypes_PlusFemale ||
       output == JA_DRAW_BEAD_BUILDER_OutputTypes_PlusSheetMetal) &&
      !taper) {
    if (ExpressionValue(m_femaleLeftRadius) < t || ExpressionValue(m_femaleRightRadius) < t) return kSegmentFemaleRadiiTooSmall;
    if (bead->GetFemaleWidthType() == JA_DRAW_BEAD_BUILDER_FemaleWidthTypes_Constant &&
        femaleWidth < width + bead->GetDistanceTolerance())
      return kSegmentFemaleWidthTooSmall;
    if (bead->GetFemaleDepthType() == JA_DRAW_BEAD_BUILDER_FemaleDepthTypes_Constant &&
        ExpressionValue(bead->GetFemaleDepthValue()) < height - kTiny)
      return kSegmentFemaleDepthTooSmall;
  }
  return 0;
}

int DrawBeadSegmentBuilder::GetTopRadiusCode() const {
  const DrawBeadBuilder* bead = m_myParentDrawBeadBuilder;
  if (bead == nullptr || bead->GetOutput() < JA_DRAW_BEAD_BUILDER_OutputTypes_Male || !bead->GetTaperBead() ||
      !bead->GetMachineOffset())
    return 0;
  const double least = 12.0 * bead->GetDistanceTolerance() + ExpressionValue(bead->GetMetalThickness()) - kTiny;
  return ExpressionValue(m_maleLeftTopRadius) >= least && ExpressionValue(m_maleRightTopRadius) >= least
             ? 0
             : kSegmentTopRadiusWarning;
}

// ---- the record -----------------------------------------------------------------------

int DrawBeadSegmentBuilder::ToParms(DIEDES_GEN_C_DRBD_SEG_PARMS* parms) {
  checkParms(parms, 502);
  if (int rc = Items::writeInts(parms, kFlags, {m_symmetry ? 1 : 0, m_symmetry && m_flow ? 1 : 0, m_maleBeadWidthType});
      rc != 0)
    return rc;
  if (int rc = Items::writeExpressions(parms, kSection,
                                       {m_femaleLeftRadius, m_femaleRightRadius, m_maleLeftWidth, m_maleLeftTopRadius,
                                        m_maleLeftSheetRadius, m_maleRightWidth, m_maleRightTopRadius,
                                        m_maleRightSheetRadius, m_maleBeadHeight, m_maleTransitionLength});
      rc != 0)
    return rc;
  if (int rc = Items::writeExpressions(parms, kWallAngles, {m_maleLeftWallAngle, m_maleRightWallAngle}); rc != 0)
    return rc;

  std::vector<EXP_expression*> withUnit = expressionsOf(parms, kWithUnit, 2);
  std::vector<EXP_expression*> withoutUnit = expressionsOf(parms, kWithoutUnit, 2);
  const OnPathDimBuilder* const locations[2] = {m_startLocation, m_endLocation};
  for (std::size_t position = 0; position < 2; ++position) {
    EXP_expression* value = locations[position] != nullptr ? locations[position]->GetValueExpression() : nullptr;
    EXP_expression* stored[2] = {withUnit[position], withoutUnit[position]};
    const bool hasUnit = value != nullptr && EXP__ask_unit_type(value) != 0;
    // The record's own expression in the item the value goes to stays there,
    // given the value (the write below); only one it no longer holds goes.
    const EXP_expression* own = value == nullptr ? nullptr : stored[hasUnit ? 0 : 1];
    for (EXP_expression* held : stored)
      if (held != nullptr && held != value && held != own) UPDATE_log_object_to_delete(held);
    // A record new to the position takes a copy: the location keeps its own,
    // so that a builder kept open after the commit changes the feature only
    // at its next commit.
    if (value != nullptr && own == nullptr) value = Stamvik::CopyOfExpression(value, kSource, 521);
    withUnit[position] = hasUnit ? value : nullptr;
    withoutUnit[position] = value != nullptr && !hasUnit ? value : nullptr;
  }
  if (int rc = Items::writeExpressions(parms, kWithUnit, withUnit); rc != 0) return rc;
  return Items::writeExpressions(parms, kWithoutUnit, withoutUnit);
}

void DrawBeadSegmentBuilder::FromParms(DIEDES_GEN_C_DRBD_SEG_PARMS* parms) {
  checkParms(parms, 532);
  if (parms->GetNumEntities() < kItems)
    ERROR_raise(kSource, 534, kNoDatabaseParms, "Incorrect number of items stored in segment.");
  DrawBeadSegmentData data;
  data.symmetry = Items::intAt(parms, kFlags, 0, 1) == 1;
  data.flow = Items::intAt(parms, kFlags, 1, 1) == 1;
  data.widthType = Items::intAt(parms, kFlags, 2, 0);
  // Read back as copies: the feature's own take the values at a commit.
  data.femaleLeftRadius = Items::copyAt(parms, kSection, 0, kSource, 540);
  data.femaleRightRadius = Items::copyAt(parms, kSection, 1, kSource, 541);
  // The record keeps the wall angles apart; the definition has them with their side.
  const int fromSection[10] = {2, 3, 4, -1, 5, 6, 7, -2, 8, 9};
  for (int i = 0; i < 10; ++i) {
    if (fromSection[i] >= 0)
      data.male[i] = Items::copyAt(parms, kSection, fromSection[i], kSource, 547);
    else
      data.male[i] = Items::copyAt(parms, kWallAngles, -fromSection[i] - 1, kSource, 549);
  }
  EXP_expression* positions[2] = {};
  for (int position = 0; position < 2; ++position) {
    EXP_expression* held = Items::expressionAt(parms, kWithUnit, position);
    if (EXP_expression* plain = Items::expressionAt(parms, kWithoutUnit, position); plain != nullptr) held = plain;
    positions[position] = Stamvik::CopyOfExpression(held, kSource, 556);
  }
  data.start = positions[0];
  data.end = positions[1];
  SetData(data);
}

}  // namespace KTX::DieEngJA
