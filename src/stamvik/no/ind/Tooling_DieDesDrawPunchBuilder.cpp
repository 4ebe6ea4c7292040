#include "Tooling_DieDesDrawPunchBuilder.hpp"

#include "geom/Faces.hpp"
#include "pref/SessionInterfaces.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "sys/Settings.hpp"

namespace KTX::Tooling {

namespace {

constexpr const char* kSource = "Tooling_DieDesDrawPunchBuilder";
constexpr int kBuildLayer = 251;  // the layer a build makes its features on

JAM::LayerManager_Interface* layerManager() {
  return static_cast<JAM::LayerManager_Interface*>(JAM::ClassInitializer::GetUnjournalledInterface("Layer.LayerManager"));
}

tag_t workPartTag() {
  PART_part* work = CONTEXT_ask_work_part_p();
  return work != nullptr ? work->OmTag() : 0;
}

// Sets a hidden integer attribute of value 0 through a descriptor that the
// caller keeps for the library's life.
bool titleHidden(tag_t object, Attr::UserAttributeDescriptor& descriptor, Attr::UserAttributeValue& value,
                 const UString& title) {
  if (object == 0) return false;
  descriptor.title = title;
  descriptor.type = 3;
  descriptor.hidden = true;
  value.integer = 0;
  return Attr::SetUserAttribute(object, descriptor, value);
}

}  // namespace

STAMVIK_OM_INSTANCE_SIZE_DEF(DieDesDrawPunchBuilder)
STAMVIK_OM_DEFINE_CLASS(DieDesDrawPunchBuilder, "KTX::JAX_BUILDER", 0x1000, &GetDieDesDrawPunchBuilderInstanceSize,
                        STAMVIK_DIE_DES_DRAW_PUNCH_BUILDER_ATTRIBUTES)

DieDesDrawPunchBuilder* DieDesDrawPunchBuilderFactory::Create(tag_t featureSet, PART_part* part) {
  return Frame::CreateAndInit<DieDesDrawPunchBuilder>(DieDesDrawPunchBuilderClassId, [&](DieDesDrawPunchBuilder* made) {
    made->InitCreate(featureSet, part);
  });
}

void DieDesDrawPunchBuilder::InitCreate(tag_t featureSet, PART_part* part) {
  init_object(part);
  PART_part* owning = ask_owning_part();
  OM::OM_set_pointer(this, m_sheetBodyAttId, SELECT_OBJECTFactory::Create(owning));
  OM::OM_set_pointer(this, m_punchCurveAttId, SELECT_OBJECT_listFactory::Create(owning, false));
  OM::OM_set_pointer(this, m_sheetBodyDeckAttId, SELECT_OBJECTFactory::Create(owning));
  const double distance = TOLER_ask_distance_tol();
  const double angle = TOLER_ask_angular_tol();
  const tag_t owningTag = owning != nullptr ? owning->OmTag() : 0;
  OM::OM_set_pointer(this, m_mainWallCenterLineAttId,
                     SC_sectionFactory::object(owningTag, 0.95 * distance, distance, angle));
  OM::OM_set_pointer(this, m_flangeProfileAttId, SC_sectionFactory::object(owningTag, 0.95 * distance, distance, angle));
  // The set to edit makes the next commit rebuild it instead of making a new one.
  SetTfeatureSet(featureSet);
  if (m_tfeatureSet != 0 && OM::OM_object_of_tag(m_tfeatureSet) != nullptr) ConvertFrecToBuilderData(m_tfeatureSet);
}

int DieDesDrawPunchBuilder::validate_nothrow() { return 0; }

int DieDesDrawPunchBuilder::ConvertFrecToBuilderData(tag_t featureSet) {
  if (featureSet == 0) return 0;
  ConvertFrecToSheetTagDeckThickness(featureSet);
  ConvertFrecToMiscellaneous(featureSet);
  ConvertFrecToCurvePlane(featureSet);
  ConvertFrecToReliefDist(featureSet);
  ConvertFrecToWallThickness(featureSet);
  ConvertFrecToBaseThicknessWidth(featureSet);
  return 0;
}

bool DieDesDrawPunchBuilder::AddHideIntAttr(tag_t object, const UString& title) {
  static Attr::UserAttributeDescriptor descriptor;
  static Attr::UserAttributeValue value;
  return titleHidden(object, descriptor, value, title);
}

bool DieDesDrawPunchBuilder::AddHideIntAttrObj(OM::Object* object, const UString& title) {
  static Attr::UserAttributeDescriptor descriptor;
  static Attr::UserAttributeValue value;
  return object != nullptr && titleHidden(object->OmTag(), descriptor, value, title);
}

int DieDesDrawPunchBuilder::CreateDrawDiePunch() {
  // Each step's failure ends the build at once; what the steps made stays in
  // m_frecSet so that the commit still groups it.
  auto step = [](int status, int line, int number, const char* failure, const char* success) {
    if (status != 0) ERROR_raise(kSource, line, number, "%s", failure);
    mtStatusAreaImmediate(success);
  };
  JAM::LayerManager_Interface* layers = layerManager();
  const tag_t work = workPartTag();
  int savedLayer = 1;
  layers->AskWorkLayer(work, &savedLayer);
  layers->SetWorkLayer(work, kBuildLayer);
  int status = 0;
  try {
    tag_t finalCurve = 0;
    step(ProcessInputCurves(m_punchCurve, m_tfeatureSet, "QD$ROUGH_OFFSET_BOTTOM", m_frecSetToDelete,
                            "QD$PUNCH_JOIN_CURVE", m_frecSet, &finalCurve),
         357, 3030582, "Error occurs on processing input curves.", "Process input curves successfully.");
    SetFinalPunchCurve(finalCurve);
  } catch (const std::exception& e) {
    status = Error::HandleAsBuilder(e, kSource, 462);
  }
  // The work layer goes back on every path, a failed step's included.
  layers->SetWorkLayer(work, savedLayer);
  tag_t moved = 0;
  layers->MoveToLayer(work, savedLayer, 1, &moved);
  return status;
}

char* DieDesDrawPunchBuilder::ask_journal_class_name() const {
  return SM_string_copy("Tooling.DieDesDrawPunchBuilder");
}

void DieDesDrawPunchBuilder::destroy() { cascade_destroy(); }

void DieDesDrawPunchBuilder::cascade_destroy() {
  implement_destroy();
  OM::TaggedObject::cascade_destroy();
}

void DieDesDrawPunchBuilder::implement_destroy() {
  // The punch keeps nothing of its own beyond what the object manager releases.
}

void DieDesDrawPunchBuilder::SetPunchCurve(SELECT_OBJECT_list* curves) {
  OM::SetReferencedObject(this, m_punchCurveAttId, curves);
}
void DieDesDrawPunchBuilder::SetBasePlane(tag_t plane) { OM::SetReferencedObject(this, m_basePlaneAttId, plane); }
void DieDesDrawPunchBuilder::SetSheetBodyDeck(SELECT_OBJECT* deck) {
  OM::SetReferencedObject(this, m_sheetBodyDeckAttId, deck);
}
void DieDesDrawPunchBuilder::SetMainWallCenterLine(SC_section* section) {
  OM::SetReferencedObject(this, m_mainWallCenterLineAttId, section);
}
void DieDesDrawPunchBuilder::SetFlangeProfile(SC_section* section) {
  OM::SetReferencedObject(this, m_flangeProfileAttId, section);
}
void DieDesDrawPunchBuilder::SetFinalPunchCurve(tag_t curve) {
  OM::SetReferencedObject(this, m_finalPunchCurveAttId, curve);
}
void DieDesDrawPunchBuilder::SetTfeatureSet(tag_t featureSet) {
  OM::SetReferencedObject(this, m_tfeatureSetAttId, featureSet);
}
void DieDesDrawPunchBuilder::SetFrecSet(OM::Set* set) { OM::SetReferencedObject(this, m_frecSetAttId, set); }
void DieDesDrawPunchBuilder::SetFrecSetToDelete(OM::Set* set) {
  OM::SetReferencedObject(this, m_frecSetToDeleteAttId, set);
}

#define STAMVIK_PLAIN_SETTER(Setter, Type, field)   \
  void DieDesDrawPunchBuilder::Setter(Type value) { \
    OM::LogForWrite(this);                          \
    field = value;                                  \
  }
STAMVIK_PLAIN_SETTER(SetDeckThickness, double, m_deckThickness)
STAMVIK_PLAIN_SETTER(SetBeltThickness, double, m_beltThickness)
STAMVIK_PLAIN_SETTER(SetReliefDistanse, double, m_reliefDistanse)
STAMVIK_PLAIN_SETTER(SetReliefAngle, double, m_reliefAngle)
STAMVIK_PLAIN_SETTER(SetWallThickness, double, m_wallThickness)
STAMVIK_PLAIN_SETTER(SetBaseThickness, double, m_baseThickness)
STAMVIK_PLAIN_SETTER(SetBaseWidth, double, m_baseWidth)
STAMVIK_PLAIN_SETTER(SetExactSheetbodyOption, bool, m_exactSheetbodyOption)
STAMVIK_PLAIN_SETTER(SetMachiningAllowance, double, m_machiningAllowance)
STAMVIK_PLAIN_SETTER(SetCoreDrawPunchOption, bool, m_coreDrawPunchOption)
#undef STAMVIK_PLAIN_SETTER

}  // namespace KTX::Tooling
