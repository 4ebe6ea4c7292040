// The tire envelope's plain fields, once: for each, the builder's value, the
// parameter block's field that commit writes and editing reads back, the
// attribute of the older knowledge-rule form and the listing's label. The
// operations walk the rows in runs of the table's order, or name single rows
// where their order differs; what is no plain copy stays in their own code.
// Not exported.
#pragma once
#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "VDJA_TireEnvelopeBuilder.hpp"
#include "afl/TireEnvelope.hpp"

namespace KTX::VDJA {

// The rows, in the order commit writes them.
enum EnvelopeFieldId : int {
  kCreateTireEnvelopeFeatureField,
  kRunClearanceAnalysisField,
  kDisplayInputField,
  kSectionLayerField,
  kSheetBodyLayerField,
  kProfileSplineLayerField,
  kSpindleLinesLayerField,
  kAddMasterComponentPartField,
  kTireDefinitionField,
  kWheelCenterlineShiftField,
  kMirrorProfileField,
  kWheelRimDiameterField,
  kRimDiameterOptionField,
  kRimDiameterField,
  kMotionField,
  kSaveScenarioField,
  kSpindleFileLocationField,
  kSuspensionTemplateField,
  kRollAngleField,
  kJounceDistanceField,
  kReboundDistanceField,
  kShockStepsField,
  kDriverGraphField,
  kXtoYField,
  kFirstUpperField,
  kFirstLowerField,
  kFirstStepsField,
  kSecondUpperField,
  kSecondLowerField,
  kSecondStepsField,
  kTaperLocationYAxisField,
  kTaperLocationAYField,
  kTaperLocationBXField,
  kTaperLocationXAxisField,
  kFixedLocationPercentageField,
  kEnvelopeConcavityField,
  kRadialStartField,
  kRadialEndField,
  kDistanceToleranceValueField,
  kTrimRadiusValueField,
  kRadialStartAngleField,
  kRadialEndAngleField,
  kDistanceToleranceField,
  kTrimRadiusField,
  kApplyOffsetField,
  kFrontOffsetField,
  kUpOffsetField,
  kDownOffsetField,
  kRearOffsetField,
  kInboardOffsetField,
  kOutboardOffsetField,
  kClearanceValueField,
  kEnvelopeFieldCount
};

// The builder's side of a field.
enum class FieldKind : std::uint8_t { Logical, Integer, Real, Expression };
// The block's side: what the field at the offset holds.
enum class SlotType : std::uint8_t { Byte, Int32, Real, Expression };

// The passes that take a row when they walk a run; a row in no pass is
// written or read only where its operation names it.
enum FieldPass : std::uint8_t { kWritten = 1, kReadBack = 2 };

struct EnvelopeField {
  EnvelopeFieldId id;
  FieldKind kind;
  std::size_t offset;  // in Tireenv_params_s
  SlotType slot;
  std::uint8_t passes;
  const char* rule;     // the older form's attribute, or null
  double ruleDefault;   // taken when the rule has no value (NaN: the field keeps its own)
  const char* label;    // the listing's, or null
  // The value as a number (an expression's value; 0 for none).
  double (*number)(const TireEnvelopeBuilder&);
  // Stores a number (logicals, integers and reals).
  void (*store)(TireEnvelopeBuilder&, double);
  // Expressions: the builder's expression, its attribute and its measure.
  EXP_expression* (*expression)(const TireEnvelopeBuilder&);
  const OM::AttributeId* attribute;
  int measure;
};

// Editing and the older form make the offsets' expressions in this order.
inline constexpr EnvelopeFieldId kOffsetsAsRead[] = {kFrontOffsetField, kUpOffsetField,      kRearOffsetField,
                                                     kDownOffsetField,  kInboardOffsetField, kOutboardOffsetField};

const EnvelopeField& FieldRow(EnvelopeFieldId id);

// The field into the block.
void WriteField(const TireEnvelopeBuilder& builder, EnvelopeFieldId id, Tireenv_params_s* block);
// The block's field into the builder (a value into a new expression).
void ReadField(TireEnvelopeBuilder& builder, EnvelopeFieldId id, const Tireenv_params_s& block);
// A number into the builder: stored, or a new expression of it.
void SetFieldNumber(TireEnvelopeBuilder& builder, const EnvelopeField& row, double value);

// The rows first..last that take the pass, in the table's order.
void WriteFields(const TireEnvelopeBuilder& builder, EnvelopeFieldId first, EnvelopeFieldId last,
                 Tireenv_params_s* block);
void ReadFields(TireEnvelopeBuilder& builder, EnvelopeFieldId first, EnvelopeFieldId last,
                const Tireenv_params_s& block);

}  // namespace KTX::VDJA
