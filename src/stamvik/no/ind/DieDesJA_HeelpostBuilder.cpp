#include "DieDesJA_HeelpostBuilder.hpp"

#include "sys/Memory.hpp"

namespace KTX::DieDesJA {

STAMVIK_OM_INSTANCE_SIZE_DEF(HeelpostBuilder)
STAMVIK_OM_DEFINE_CLASS(HeelpostBuilder, "KTX::DieDesJA::GenericBodyBuilder", 0x1000,
                        &GetHeelpostBuilderInstanceSize, STAMVIK_HEELPOST_BUILDER_ATTRIBUTES)

HeelpostBuilder* HeelpostBuilderFactory::Create(CM_part* part, FEATURE_RECORD* frec) {
  return Frame::CreateAndInit<HeelpostBuilder>(HeelpostBuilderClassId, [&](HeelpostBuilder* made) {
    made->InitCreate(part, frec);
  });
}

void HeelpostBuilder::InitCreate(CM_part* part, FEATURE_RECORD* frec) {
  init_object(part, frec);
  SetAlgorithmVersion(0);
}

char* HeelpostBuilder::ask_journal_class_name() const { return SM_string_copy("Die.HeelpostBuilder"); }

JA_HEELPOST_BUILDER_types HeelpostBuilder::GetType() const {
  return static_cast<JA_HEELPOST_BUILDER_types>(m_type);
}
void HeelpostBuilder::SetType(JA_HEELPOST_BUILDER_types type) {
  OM::LogForWrite(this);
  m_type = type;
}

// Plain fields: logged for undo, then stored.
#define STAMVIK_HEELPOST_PLAIN_SETTER(Name, Type, field) \
  void HeelpostBuilder::Set##Name(Type value) {          \
    OM::LogForWrite(this);                               \
    field = value;                                       \
  }

STAMVIK_HEELPOST_PLAIN_SETTER(CreateFloor, bool, m_createFloor)
STAMVIK_HEELPOST_PLAIN_SETTER(UsePercent, bool, m_usePercent)
STAMVIK_HEELPOST_PLAIN_SETTER(WallACreate, bool, m_wallACreate)
STAMVIK_HEELPOST_PLAIN_SETTER(WallARelief, bool, m_wallARelief)
STAMVIK_HEELPOST_PLAIN_SETTER(WallBCreate, bool, m_wallBCreate)
STAMVIK_HEELPOST_PLAIN_SETTER(WallBRelief, bool, m_wallBRelief)
STAMVIK_HEELPOST_PLAIN_SETTER(WallCCreate, bool, m_wallCCreate)
STAMVIK_HEELPOST_PLAIN_SETTER(WallCRelief, bool, m_wallCRelief)
STAMVIK_HEELPOST_PLAIN_SETTER(WallDCreate, bool, m_wallDCreate)
STAMVIK_HEELPOST_PLAIN_SETTER(WallDRelief, bool, m_wallDRelief)
STAMVIK_HEELPOST_PLAIN_SETTER(DisplayOptionalSelections, bool, m_displayOptionalSelections)
STAMVIK_HEELPOST_PLAIN_SETTER(DistanceTolerance, double, m_distanceTolerance)
STAMVIK_HEELPOST_PLAIN_SETTER(AngleTolerance, double, m_angleTolerance)

#undef STAMVIK_HEELPOST_PLAIN_SETTER

// Expressions: references, which the host logs and stores.
#define STAMVIK_HEELPOST_EXPRESSION_SETTER(Name, field)            \
  void HeelpostBuilder::Set##Name(EXP_expression* expression) {    \
    OM::SetReferencedObject(this, field##AttId, expression);       \
  }

STAMVIK_HEELPOST_EXPRESSION_SETTER(LocationOffset, m_locationOffset)
STAMVIK_HEELPOST_EXPRESSION_SETTER(BaseOffset, m_baseOffset)
STAMVIK_HEELPOST_EXPRESSION_SETTER(PadOffset, m_padOffset)
STAMVIK_HEELPOST_EXPRESSION_SETTER(Length, m_length)
STAMVIK_HEELPOST_EXPRESSION_SETTER(Width, m_width)
STAMVIK_HEELPOST_EXPRESSION_SETTER(Height, m_height)
STAMVIK_HEELPOST_EXPRESSION_SETTER(PadThickness, m_padThickness)
STAMVIK_HEELPOST_EXPRESSION_SETTER(FloorThickness, m_floorThickness)
STAMVIK_HEELPOST_EXPRESSION_SETTER(Diameter, m_diameter)
STAMVIK_HEELPOST_EXPRESSION_SETTER(XOffset, m_xOffset)
STAMVIK_HEELPOST_EXPRESSION_SETTER(YOffset, m_yOffset)
STAMVIK_HEELPOST_EXPRESSION_SETTER(ReliefWidth, m_reliefWidth)
STAMVIK_HEELPOST_EXPRESSION_SETTER(ReliefDepth, m_reliefDepth)
STAMVIK_HEELPOST_EXPRESSION_SETTER(WallPercentage, m_wallPercentage)
STAMVIK_HEELPOST_EXPRESSION_SETTER(WallAThickness, m_wallAThickness)
STAMVIK_HEELPOST_EXPRESSION_SETTER(WallAOffset, m_wallAOffset)
STAMVIK_HEELPOST_EXPRESSION_SETTER(WallBThickness, m_wallBThickness)
STAMVIK_HEELPOST_EXPRESSION_SETTER(WallBOffset, m_wallBOffset)
STAMVIK_HEELPOST_EXPRESSION_SETTER(WallCThickness, m_wallCThickness)
STAMVIK_HEELPOST_EXPRESSION_SETTER(WallCOffset, m_wallCOffset)
STAMVIK_HEELPOST_EXPRESSION_SETTER(WallDThickness, m_wallDThickness)
STAMVIK_HEELPOST_EXPRESSION_SETTER(WallDOffset, m_wallDOffset)

#undef STAMVIK_HEELPOST_EXPRESSION_SETTER

}  // namespace KTX::DieDesJA
