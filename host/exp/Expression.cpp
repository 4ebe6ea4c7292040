#include "exp/Expression.hpp"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "sys/CallLog.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"

namespace KTX {

namespace {
// Index 0 is the plain number, so that a zeroed expression has it.
const UNIT_unit kUnits[] = {
    {-1, ""},
    {0, "MilliMeter"},
    {0, "Inch"},
    {7, "Degrees"},
};
constexpr int kNumber = 0, kMillimetre = 1, kInch = 2, kDegree = 3;

int unitIndex(const UNIT_unit* unit) {
  for (int i = 0; i < 4; ++i)
    if (unit == &kUnits[i]) return i;
  return kNumber;
}

}  // namespace

const UNIT_unit* EXP_expression::ask_unit() const {
  return &kUnits[unitIndex_ >= 0 && unitIndex_ < 4 ? unitIndex_ : kNumber];
}

EXP_expression* EXP_expression::Make(PART_part* part, const char* text, double value, const UNIT_unit* unit) {
  auto* expression = Host::CreateInPart<EXP_expression>(part);
  std::snprintf(expression->text_, sizeof expression->text_, "%s", text);
  expression->value_ = value;
  expression->unitIndex_ = unitIndex(unit);
  return expression;
}

bool EXP_parse_number(const char* text, double* value) {
  if (text == nullptr) return false;
  while (*text == ' ' || *text == '\t') ++text;
  if (*text == '\0') return false;
  char* end = nullptr;
  errno = 0;
  double v = std::strtod(text, &end);
  if (end == text || errno == ERANGE || !std::isfinite(v)) return false;
  while (*end == ' ' || *end == '\t') ++end;
  if (*end != '\0') return false;
  if (value != nullptr) *value = v;
  return true;
}

const UNIT_unit* UNIT_ask_default_unit_obj_for_measure(int measure) {
  Host::Log("UNIT_ask_default_unit_obj_for_measure", std::to_string(measure));
  if (measure == 0) {
    PART_part* part = PART_ask_work_part();
    return &kUnits[part != nullptr && part->UnitCode() == 1 ? kInch : kMillimetre];
  }
  if (measure == 7) return &kUnits[kDegree];
  return &kUnits[kNumber];
}

int EXP_create_sys_exp_with_units_all_errors(const char* text, const UNIT_unit* unit, EXP_expression** expression) {
  Host::Log("EXP_create_sys_exp_with_units_all_errors",
            std::string(text == nullptr ? "(null)" : text) + " " + (unit == nullptr ? "" : unit->name));
  if (expression == nullptr) return Expression::kNoExpression;
  *expression = nullptr;
  double value = 0;
  if (!EXP_parse_number(text, &value) || std::strlen(text) >= EXP_expression::kTextSize)
    return Expression::kBadText;
  *expression = EXP_expression::Make(nullptr, text, value, unit);
  return 0;
}

char* EXP_format_value(double value) {
  Host::Log("EXP_format_value", std::to_string(value));
  // The shortest text that reads back as the same value.
  char text[64];
  for (int precision = 15; precision <= 17; ++precision) {
    std::snprintf(text, sizeof text, "%.*g", precision, value);
    if (std::strtod(text, nullptr) == value) break;
  }
  return SM_string_copy(text);
}

int EXP_edit_exp(tag_t part, EXP_expression* expression, const char* text) {
  Host::Log("EXP_edit_exp", "part=" + std::to_string(part) + " " + Host::TagArg(expression) + " " +
                                (text == nullptr ? "(null)" : text));
  if (expression == nullptr) return Expression::kNoExpression;
  double value = 0;
  if (!EXP_parse_number(text, &value) || std::strlen(text) >= EXP_expression::kTextSize)
    return Expression::kBadText;
  expression->set(text, value);
  return 0;
}

void EXP_edit_exp_all_errors(tag_t part, EXP_expression* expression, const char* text) {
  if (int rc = EXP_edit_exp(part, expression, text); rc != 0)
    ERROR_raise(__FILE__, __LINE__, rc, "the expression cannot take \"%s\"", text == nullptr ? "(null)" : text);
}

double EXP_ask_value_of_exp(const EXP_expression* expression) {
  Host::Log("EXP_ask_value_of_exp", Host::TagArg(expression));
  return expression == nullptr ? 0.0 : expression->ask_value();
}

int EXP__ask_unit_type(const EXP_expression* expression) {
  return expression == nullptr || expression->ask_unit()->measure < 0 ? 0 : 1;
}

}  // namespace KTX
