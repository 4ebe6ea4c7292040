#include <algorithm>
#include <string>

#include "exp/Expression.hpp"
#include "geom/Curve.hpp"
#include "sel/Selection.hpp"
#include "sys/CallLog.hpp"
#include "sys/Memory.hpp"

namespace KTX {

namespace {
constexpr double kTiny = 1e-10;
std::string flags(std::initializer_list<bool> values) {
  std::string out;
  for (bool v : values) out += v ? '1' : '0';
  return out;
}
}  // namespace

char* OnPathDimBuilder::ask_journal_class_name() const { return SM_string_copy("OnPathDimensionBuilder"); }

EXP_expression* OnPathDimBuilder::GetValueExpression() const {
  return dynamic_cast<EXP_expression*>(OM::OM_object_of_tag(expression_));
}

SELECT_OBJECT* OnPathDimBuilder::GetPathSelection() const {
  return dynamic_cast<SELECT_OBJECT*>(OM::OM_object_of_tag(selection_));
}

tag_t OnPathDimBuilder::GetPathCurve() const {
  const SELECT_OBJECT* selection = GetPathSelection();
  return selection == nullptr ? 0 : selection->ask_selected_tag();
}

double OnPathDimBuilder::GetPathLength() const { return CURVE_ask_arc_length(GetPathCurve()); }

double OnPathDimBuilder::GetLengthValue() const {
  const EXP_expression* expression = GetValueExpression();
  const double value = expression == nullptr ? 0.0 : expression->ask_value();
  return percent_ ? value / 100.0 * GetPathLength() : value;
}

double OnPathDimBuilder::GetPercentValue() const {
  const EXP_expression* expression = GetValueExpression();
  const double value = expression == nullptr ? 0.0 : expression->ask_value();
  if (percent_) return value;
  const double length = GetPathLength();
  return length > kTiny ? 100.0 * value / length : 0.0;
}

void OnPathDimBuilder::SetUpdateHold(bool hold) {
  OM::LogForWrite(this);
  hold_ = hold;
}

void OnPathDimBuilder::GetOriginPoint(double point[3]) const { std::copy(origin_, origin_ + 3, point); }

void OnPathDimBuilder::Update(int mode) {
  Host::Log("OnPathDimBuilder::Update", Host::TagArg(this) + " mode=" + std::to_string(mode));
  const double length = GetPathLength();
  double t = length > kTiny ? GetLengthValue() / length : 0.0;
  double point[3] = {0, 0, 0};
  CURVE_ask_point_at(GetPathCurve(), std::clamp(t, 0.0, 1.0), point);
  OM::LogForWrite(this);
  std::copy(point, point + 3, origin_);
}

void OnPathDimBuilder::Notify(OM::Object* changed) {
  const tag_t tag = OM::OM_ask_object_tag(changed);
  if (hold_ || tag == 0 || (tag != expression_ && tag != selection_)) return;
  Update(3);
  NotifyOwnerOfChange(this);
}

void OnPathDimBuilder::cascade_destroy() {
  OM::OM_destroy_owned(this, OM::OM_object_of_tag(selection_));
  OM::OM_destroy_owned(this, OM::OM_object_of_tag(expression_));
  JAX_BUILDER::cascade_destroy();
}

OnPathDimBuilder* OnPathDimBuilder::Make(EXP_expression* expression, tag_t path, bool percent) {
  PART_part* part = PART_ask_work_part();
  auto* location = Host::CreateInPart<OnPathDimBuilder>(part);
  location->init_object(part);
  location->percent_ = percent;
  SELECT_OBJECT* selection = SELECT_OBJECTFactory::Create(part);
  selection->set_selected_tag(path);
  OM::OM_set_owner(selection, location);
  selection->SetParentHasObservers(true);
  location->selection_ = selection->OmTag();
  if (expression != nullptr) {
    OM::OM_set_owner(expression, location);
    expression->SetParentHasObservers(true);
    location->expression_ = expression->OmTag();
  }
  location->Update(3);
  return location;
}

OnPathDimBuilder* OnPathDimBuilderFactory::New(EXP_expression* expression, tag_t path, bool flag0, bool flag1,
                                               bool flag2) {
  Host::Log("OnPathDimBuilderFactory::New", Host::TagArg(expression) + " path=" + std::to_string(path) + " " +
                                                flags({flag0, flag1, flag2}));
  return OnPathDimBuilder::Make(expression, path, false);
}

OnPathDimBuilder* OnPathDimBuilderFactory::Parameter(EXP_expression* expression, tag_t path, bool flag0, bool flag1,
                                                     bool flag2, bool flag3) {
  Host::Log("OnPathDimBuilderFactory::Parameter", Host::TagArg(expression) + " path=" + std::to_string(path) + " " +
                                                      flags({flag0, flag1, flag2, flag3}));
  return OnPathDimBuilder::Make(expression, path, true);
}

}  // namespace KTX
