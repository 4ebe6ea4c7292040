// Expressions with units, as the part-modelling library keeps them: a text
// that is a number, its value and its unit.
#pragma once
#include "feat/Builder.hpp"

namespace KTX {

// A unit of a measure. Measure 0 is length (millimetre, or inch in a part of
// unit code 1), 7 angle (degree); any other measure is a plain number.
struct UNIT_unit {
  int measure;
  const char* name;
};

// An expression: its text, its value (in its unit) and its unit.
class KTX_HOST_API EXP_expression : public ObservedObject {
  KTX_HOST_OBJECT(EXP_expression, "KTX::EXP_expression")
 public:
  static constexpr int kTextSize = 128;
  const char* ask_text() const { return text_; }
  double ask_value() const { return value_; }
  const UNIT_unit* ask_unit() const;
  // Sets text and value after logging; tells the owner.
  void set(const char* text, double value);
  // A new expression in the part (null: the work part) with its text already parsed.
  static EXP_expression* Make(PART_part* part, const char* text, double value, const UNIT_unit* unit);

 protected:
  EXP_expression(int classId, void* context) : ObservedObject(classId, context) {}

 private:
  char text_[kTextSize];
  double value_;
  int unitIndex_;
};

namespace Expression {
// Message numbers of the expression calls.
enum Message : int {
  kBadText = 840101,      // the text is not a number
  kNoExpression = 840102, // no expression given
};
}  // namespace Expression

// The default unit of the measure in the work part (its unit code decides length).
KTX_HOST_API const UNIT_unit* UNIT_ask_default_unit_obj_for_measure(int measure);
// A new system expression of the text in the unit, made in the work part:
// 0 and the expression, or a message number and no expression.
KTX_HOST_API int EXP_create_sys_exp_with_units_all_errors(const char* text, const UNIT_unit* unit,
                                                          EXP_expression** expression);
// The value as an expression text: a new string (SM_alloc) the caller frees with SM_free.
KTX_HOST_API char* EXP_format_value(double value);
// Gives the expression a new text: 0, or a message number with the expression unchanged.
KTX_HOST_API int EXP_edit_exp(tag_t part, EXP_expression* expression, const char* text);
// The same edit, raising the message number of a failure instead.
KTX_HOST_API void EXP_edit_exp_all_errors(tag_t part, EXP_expression* expression, const char* text);
KTX_HOST_API double EXP_ask_value_of_exp(const EXP_expression* expression);
// 0 for an expression without a unit (a plain number), otherwise 1.
KTX_HOST_API int EXP__ask_unit_type(const EXP_expression* expression);

// Reads a whole text as a number (blanks around it allowed).
KTX_HOST_API bool EXP_parse_number(const char* text, double* value);

}  // namespace KTX
