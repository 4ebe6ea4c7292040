// The automotive-feature library's die-design objects that builders own:
// the face-attribute sub-builder and the per-feature target objects.
#pragma once
#include "feat/Builder.hpp"

struct TEXT_s;

namespace KTX {
class DIEDES_GENERIC_BODY_PARMS;
}

namespace KTX::DieDes {

// The face and sheet attributes a die-design feature gives its result: two
// texts (an attribute title and its value) and an integer value. Made by
// DieAttributesBuilderFactory (afl/DieAttributes.hpp).
class KTX_HOST_API DieAttributesBuilder : public JAX_BUILDER {
  KTX_HOST_OBJECT(DieAttributesBuilder, "KTX::DieDes::DieAttributesBuilder")
 public:
  static constexpr int kTextSize = 132;
  const char* GetFirstText() const { return firstText_; }
  const char* GetSecondText() const { return secondText_; }
  int GetIntegerValue() const { return integerValue_; }
  bool GetOption(int index) const;  // the factory's three flags; another index raises the index error
  // Each setter logs the builder for undo first; texts are cut to kTextSize - 1.
  void SetFirstText(const char* text);
  void SetSecondText(const char* text);
  void SetFirstText(const TEXT_s* text);
  void SetSecondText(const TEXT_s* text);
  void SetIntegerValue(int value);
  char* ask_journal_class_name() const override;

 protected:
  DieAttributesBuilder(int classId, void* context) : JAX_BUILDER(classId, context) {}

 private:
  friend class DieAttributesBuilderFactory;
  char firstText_[kTextSize];
  char secondText_[kTextSize];
  int integerValue_;
  bool options_[3];
};

// What every die-design target object knows of the selected target body.
// Its builder tells it the selected body and, at commit, the address of the
// caller's feature-record pointer; the flags and values are the library's
// analysis of the body, which tests set directly.
class KTX_HOST_API DieDesTarget : public OM::TaggedObject {
 public:
  // The builder's selected target body (0 for none). Logs the target for
  // undo first. Scripted: the answer "DieDesTarget::SetTargetBody" not 0 is
  // raised as the failure of the library's analysis of the body.
  void SetTargetBody(tag_t body);
  tag_t GetTargetBody() const { return body_; }
  // The commit step: the address of the caller's record pointer (not logged:
  // it lives only as long as that commit).
  void SetFrecPointer(FEATURE_RECORD** frec);
  FEATURE_RECORD** GetFrecPointer() const { return frec_; }
  PART_part* GetOwningPart() const { return part_; }

  // Set when the target itself gives the feature's orientation: the base
  // plane (GetBaseOrigin, GetBaseNormal) of a plane-oriented feature, the
  // direction of the clearance. The builder's orientation is then optional.
  bool GetOrientationFlag() const { return orientation_; }
  void GetBaseOrigin(double origin[3]) const;
  void GetBaseNormal(double normal[3]) const;
  // Set when the target supplies the thickness the builder takes over.
  bool GetThicknessFlag() const { return thicknessFlag_; }
  double GetThicknessValue() const { return thickness_; }
  // Set when the target body must not be marked for update at commit.
  bool GetUpdateFlag() const { return noUpdate_; }

  // Test hooks: plain stores; the caller logs the target for undo first.
  void SetOrientationFlag(bool on) { orientation_ = on; }
  void SetBase(const double origin[3], const double normal[3]);
  void SetThickness(bool flag, double value) {
    thicknessFlag_ = flag;
    thickness_ = value;
  }
  void SetUpdateFlag(bool on) { noUpdate_ = on; }

 protected:
  DieDesTarget(int classId, void* context) : OM::TaggedObject(classId, context) {}
  friend struct TargetFactoryAccess;

 private:
  // All zeroed by the host with the object.
  PART_part* part_;
  FEATURE_RECORD** frec_;
  tag_t body_;
  bool orientation_;
  bool thicknessFlag_;
  bool noUpdate_;
  double thickness_;
  double origin_[3];
  double normal_[3];
};

#define KTX_DIEDES_TARGET(Class)                                              \
  class KTX_HOST_API Class : public DieDesTarget {                            \
    KTX_HOST_OBJECT(Class, "KTX::DieDes::" #Class)                            \
   protected:                                                                 \
    Class(int classId, void* context) : DieDesTarget(classId, context) {}     \
  };

KTX_DIEDES_TARGET(ClearanceTarget)
KTX_DIEDES_TARGET(FingerClearanceNotchTarget)

#undef KTX_DIEDES_TARGET

// The cast relief's target: its orientation flag is its base flag, and it may
// know the sheet metal itself.
class KTX_HOST_API CastReliefTarget : public DieDesTarget {
  KTX_HOST_OBJECT(CastReliefTarget, "KTX::DieDes::CastReliefTarget")

 public:
  bool GetBaseFlag() const { return GetOrientationFlag(); }
  bool GetSheetFlag() const { return sheetFlag_; }
  tag_t GetSheetTag() const { return sheet_; }
  // Test hooks: plain stores; the caller logs the target for undo first.
  void SetBaseFlag(bool on) { SetOrientationFlag(on); }
  void SetSheet(bool flag, tag_t sheet) {
    sheetFlag_ = flag;
    sheet_ = sheet;
  }

 protected:
  CastReliefTarget(int classId, void* context) : DieDesTarget(classId, context) {}

 private:
  bool sheetFlag_;  // zeroed by the host with the object
  tag_t sheet_;
};

// The fill area's target: besides the base (the orientation flag), an
// extrusion kind, a sheet to trim with, a product-contact sheet and an upper
// offset, each with its flag. Test hooks are plain stores; the caller logs
// the target for undo first.
class KTX_HOST_API FillAreaTarget : public DieDesTarget {
  KTX_HOST_OBJECT(FillAreaTarget, "KTX::DieDes::FillAreaTarget")

 public:
  bool GetExtrusionKindFlag() const { return extrusionKindFlag_; }
  int GetExtrusionKind() const { return extrusionKind_; }
  bool GetTrimmingSheetFlag() const { return trimmingSheetFlag_; }
  tag_t GetTrimmingSheet() const { return trimmingSheet_; }
  // Set when the product-contact sheet (a model object) exists.
  bool GetProductContactFlag() const { return productContactFlag_; }
  tag_t GetProductContactSheet() const { return productContactSheet_; }
  bool GetUpperOffsetFlag() const { return upperOffsetFlag_; }
  double GetUpperOffset() const { return upperOffset_; }
  // Makes the product-contact sheet as a kernel sheet the target holds (a
  // sheet made before is deleted): 0, or the answer
  // "FillAreaTarget::CreateProductContactSheet" with nothing made. The sheet
  // is a working body, not model state: undo leaves it, the target deletes
  // it when it goes. tolerances: distance, angle.
  int CreateProductContactSheet(const double normal[3], const double tolerances[2]);
  int GetNewProductContactSheet() const { return newProductContactSheet_; }
  void cascade_destroy() override;

  void SetExtrusionKind(bool flag, int kind) {
    extrusionKindFlag_ = flag;
    extrusionKind_ = kind;
  }
  void SetTrimmingSheet(bool flag, tag_t sheet) {
    trimmingSheetFlag_ = flag;
    trimmingSheet_ = sheet;
  }
  void SetProductContact(bool flag, tag_t sheet) {
    productContactFlag_ = flag;
    productContactSheet_ = sheet;
  }
  void SetUpperOffset(bool flag, double offset) {
    upperOffsetFlag_ = flag;
    upperOffset_ = offset;
  }

 protected:
  FillAreaTarget(int classId, void* context) : DieDesTarget(classId, context) {}

 private:
  // All zeroed by the host with the object.
  bool extrusionKindFlag_;
  bool trimmingSheetFlag_;
  bool productContactFlag_;
  bool upperOffsetFlag_;
  int extrusionKind_;
  tag_t trimmingSheet_;
  tag_t productContactSheet_;
  int newProductContactSheet_;
  double upperOffset_;
};

// The keyway's target: besides the base (the orientation flag) and the deck
// thickness (the thickness flag and value), the die's coordinate system, a
// base-flange curve, an interior-profile curve and a sheet body, each with
// its flag. Plain stores; the caller logs the target for undo first.
class KTX_HOST_API KeywayTarget : public DieDesTarget {
  KTX_HOST_OBJECT(KeywayTarget, "KTX::DieDes::KeywayTarget")

 public:
  bool GetDieCoordinateSystemFlag() const { return csysFlag_; }
  void GetDieCoordinateSystemOrigin(double origin[3]) const;
  void GetDieCoordinateSystemMatrix(double matrix[9]) const;
  tag_t GetDieCoordinateSystemTag() const { return csys_; }
  bool GetBaseFlangeFlag() const { return baseFlangeFlag_; }
  tag_t GetBaseFlangeCurve() const { return baseFlange_; }
  bool GetInteriorProfileFlag() const { return interiorFlag_; }
  tag_t GetInteriorProfileCurve() const { return interior_; }
  bool GetSheetBodyFlag() const { return sheetFlag_; }
  tag_t GetSheetBody() const { return sheet_; }

  void SetDieCoordinateSystem(bool flag, const double origin[3], const double matrix[9], tag_t csys);
  void SetBaseFlangeCurve(bool flag, tag_t curve) {
    baseFlangeFlag_ = flag;
    baseFlange_ = curve;
  }
  void SetInteriorProfileCurve(bool flag, tag_t curve) {
    interiorFlag_ = flag;
    interior_ = curve;
  }
  void SetSheetBody(bool flag, tag_t sheet) {
    sheetFlag_ = flag;
    sheet_ = sheet;
  }

 protected:
  KeywayTarget(int classId, void* context) : DieDesTarget(classId, context) {}

 private:
  // All zeroed by the host with the object.
  bool csysFlag_;
  bool baseFlangeFlag_;
  bool interiorFlag_;
  bool sheetFlag_;
  tag_t csys_;
  tag_t baseFlange_;
  tag_t interior_;
  tag_t sheet_;
  double csysOrigin_[3];
  double csysMatrix_[9];
};

// The clamping slot's target: besides the base (the orientation flag) and the
// flange thickness (the thickness flag and value), the die's coordinate
// system and the flange-profile curve, each with its flag. Plain stores; the
// caller logs the target for undo first.
class KTX_HOST_API ClampingSlotTarget : public DieDesTarget {
  KTX_HOST_OBJECT(ClampingSlotTarget, "KTX::DieDes::ClampingSlotTarget")

 public:
  bool GetCoordinateSystemFlag() const { return csysFlag_; }
  tag_t GetCoordinateSystem() const { return csys_; }
  bool GetFlangeProfileFlag() const { return profileFlag_; }
  tag_t GetFlangeProfileCurve() const { return profile_; }
  void SetCoordinateSystem(bool flag, tag_t csys) {
    csysFlag_ = flag;
    csys_ = csys;
  }
  void SetFlangeProfileCurve(bool flag, tag_t curve) {
    profileFlag_ = flag;
    profile_ = curve;
  }

 protected:
  ClampingSlotTarget(int classId, void* context) : DieDesTarget(classId, context) {}

 private:
  // All zeroed by the host with the object.
  bool csysFlag_;
  bool profileFlag_;
  tag_t csys_;
  tag_t profile_;
};

// The heel post's target: besides the base (the orientation flag) and the
// floor thickness (the thickness flag and value), the die's coordinate
// system and an integer setting of the tool bodies, each with its flag.
// Plain stores; the caller logs the target for undo first.
class KTX_HOST_API HeelpostTarget : public DieDesTarget {
  KTX_HOST_OBJECT(HeelpostTarget, "KTX::DieDes::HeelpostTarget")

 public:
  bool GetCoordinateSystemFlag() const { return csysFlag_; }
  tag_t GetCoordinateSystem() const { return csys_; }
  bool GetSettingFlag() const { return settingFlag_; }
  int GetSetting() const { return setting_; }
  void SetCoordinateSystem(bool flag, tag_t csys) {
    csysFlag_ = flag;
    csys_ = csys;
  }
  void SetSetting(bool flag, int setting) {
    settingFlag_ = flag;
    setting_ = setting;
  }

 protected:
  HeelpostTarget(int classId, void* context) : DieDesTarget(classId, context) {}

 private:
  // All zeroed by the host with the object.
  bool csysFlag_;
  bool settingFlag_;
  tag_t csys_;
  int setting_;
};

// The handling core's target also says whether it can map the cores from the
// base (read by validation). A plain store.
class KTX_HOST_API HandlingCoreTarget : public DieDesTarget {
  KTX_HOST_OBJECT(HandlingCoreTarget, "KTX::DieDes::HandlingCoreTarget")

 public:
  bool GetMapFromBaseFlag() const { return mapFromBase_; }
  void SetMapFromBaseFlag(bool on) { mapFromBase_ = on; }

 protected:
  HandlingCoreTarget(int classId, void* context) : DieDesTarget(classId, context) {}

 private:
  bool mapFromBase_;  // zeroed by the host with the object
};

// The machine relief's target also keeps which kind of relief is wanted,
// for its analysis of the selected body: 0 cam, 1 relief, 2 thicken with an
// exterior main profile, 3 thicken with an interior one.
class KTX_HOST_API MachineReliefTarget : public DieDesTarget {
  KTX_HOST_OBJECT(MachineReliefTarget, "KTX::DieDes::MachineReliefTarget")

 public:
  int GetReliefKind() const { return reliefKind_; }
  // A plain store: the caller logs the target for undo first.
  void SetReliefKind(int kind) { reliefKind_ = kind; }
  // Three curves the analysis found, each with its flag: the first for cams
  // and reliefs, the second for a thickened exterior wall, the third for an
  // interior one. An index outside 0-2 raises the index error.
  bool GetCurveFlag(int index) const;
  tag_t GetCurve(int index) const;
  void SetCurve(int index, bool flag, tag_t curve);  // a plain store

 protected:
  MachineReliefTarget(int classId, void* context) : DieDesTarget(classId, context) {}

 private:
  // All zeroed by the host with the object.
  int reliefKind_;
  bool curveFlags_[3];
  tag_t curves_[3];
};

// The target objects' factories: each makes a target for the given part.
// CreateCopy makes a new target in the part with the state of `source`.
#define KTX_DIEDES_TARGET_FACTORY(Class)                 \
  struct KTX_HOST_API Class##Factory {                   \
    static Class* Create(PART_part* part);               \
  };

KTX_DIEDES_TARGET_FACTORY(CastReliefTarget)
KTX_DIEDES_TARGET_FACTORY(ClampingSlotTarget)
KTX_DIEDES_TARGET_FACTORY(ClearanceTarget)
KTX_DIEDES_TARGET_FACTORY(FillAreaTarget)
KTX_DIEDES_TARGET_FACTORY(FingerClearanceNotchTarget)
KTX_DIEDES_TARGET_FACTORY(HeelpostTarget)
KTX_DIEDES_TARGET_FACTORY(KeywayTarget)

#undef KTX_DIEDES_TARGET_FACTORY

struct KTX_HOST_API HandlingCoreTargetFactory {
  static HandlingCoreTarget* Create(PART_part* part);
  static HandlingCoreTarget* CreateCopy(PART_part* part, const HandlingCoreTarget* source);
};

struct KTX_HOST_API MachineReliefTargetFactory {
  static MachineReliefTarget* Create(PART_part* part);
  static MachineReliefTarget* CreateCopy(PART_part* part, const MachineReliefTarget* source);
};

}  // namespace KTX::DieDes
