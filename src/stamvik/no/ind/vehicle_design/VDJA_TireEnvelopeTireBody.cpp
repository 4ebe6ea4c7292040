// The tire body: a tire-envelope feature of its own kind made in a part of
// its own (the tire-body part), saved, and placed as a component of the
// vehicle assembly at the wheel's design position, so that its motion can be
// replayed and checked for clearance.
#include <cmath>
#include <cstring>
#include <string>

#include "VDJA_TireEnvelopeBlock.hpp"
#include "VDJA_TireEnvelopeBuilder.hpp"
#include "assy/Assembly.hpp"
#include "exp/Expression.hpp"
#include "geom/Geometry.hpp"
#include "math/Vector.hpp"
#include "sys/Error.hpp"
#include "sys/Files.hpp"
#include "upd/Update.hpp"
#include "vd/KnowledgeRule.hpp"
#include "vd/TireClearance.hpp"
#include "vd/VehicleDesign.hpp"

namespace KTX::VDJA {

namespace {

constexpr const char* kSource = "VDJA_TireEnvelopeBuilder";
constexpr const char* kTireBodyMark = "CREATE TIRE BODY";
constexpr const char* kOlderTireBodyRule = "%evt_tirebody";
constexpr int kTireBodyFeatureKind = 2;
using Messages::kTireBodyPartIsWorkPart;
// The tire-body part could be neither found nor made: no component to place.
using Messages::kNoTireBodyPart;
constexpr double kDirectionTolerance = 1e-10;

void RaiseMessage(int line, int code) { ERROR_raise(kSource, line, code, "%s", ""); }

// The first feature of the work part that is a tire body; null when none.
FEATURE_RECORD* FindTireBodyFeature() {
  int count = 0;
  tag_t* frecs = nullptr;
  FREC_ask_all_frecs_of_part(PART_ask_cm_part_of_part_p(CONTEXT_ask_work_part()), &count, &frecs);
  HostBlock<tag_t> owned(frecs);
  for (int i = 0; i < count; ++i) {
    if (OM::OM_ask_checking_level() > 0) OM::OM_check_tag_class(kSource, 47, frecs[i], FEATURE_RECORD::ThisClassId);
    auto* frec = dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(frecs[i]));
    if (frec != nullptr && TireEnvelope_Is(frec) == kTireBodyFeatureKind) return frec;
  }
  return nullptr;
}

// The part becomes the session's root and work part, unless it is the root already.
void WorkIn(PART_part* part) {
  if (CONTEXT_ask_root_part() == part) return;
  CONTEXT_set_root_part(part);
  CONTEXT_set_work_part(part);
}

// The work part saved without its components; a failure that is not passed
// over raises its status.
void SaveTireBodyPart(PART_part* entry) {
  PART_save_failure_s failures{};
  PART_save_no_components(CONTEXT_ask_work_part(), &failures);
  const int code = PartSaveCode(failures, entry);
  PART_free_save_failures(&failures);
  if (code != 0) ERROR_raise(kSource, 68, code, "Unable to save tire body part.");
}

}  // namespace

int TireEnvelopeBuilder::CreateTireBodyFeature(int search, tag_t* body, double pointA[3], double pointB[3]) {
  *body = 0;
  int mark = 0;
  bool marked = false;
  Tireenv_params_s* block = nullptr;
  // The block goes on every way out.
  struct Release {
    Tireenv_params_s*& block;
    ~Release() { TireEnvelope_FreeApplData(&block); }
  } release{block};
  try {
    int error = 0;
    mark = UNDO_QD_set_mark(1, kTireBodyMark, &error);
    if (error != 0) ERROR_raise(kSource, 86, error, "Failed to set mark before create rule");
    marked = true;
    if (const int code = UNDO_QD_set_mark_importance(mark, 1); code != 0)
      ERROR_raise(kSource, 89, code, "Failed to make mark %d important", mark);

    TireEnvelope_AllocApplData(&block, nullptr);
    if (VD_KF_get_rule_exist("Root:", kOlderTireBodyRule)) {
      tag_t older = 0;
      char* name = nullptr;
      VD_get_feature_tag_and_name(kOlderTireBodyRule, &older, &name);
      SM_free(name);
      if (older != 0) UPDATE_log_entity_to_delete(older);
    }

    BlockWriter w(block);
    Tire_s* area = WorkArea();
    block->tireBody = 1;
    block->fixedOne = 1;
    int csysType = 0;
    GetVehicleCsys(&csysType, block->origin, block->matrix);
    WriteBlockLayers(*this, block);
    block->tireDefinition = m_tireDefinition;
    std::memset(block->host704, 0, sizeof block->host704);
    const bool profile = m_tireDefinition > SolidBody;
    block->rimDiameter = profile ? Stamvik::ExpressionValue(m_wheelRimDiameter) : 0.0;
    block->mirrorProfile = profile ? (m_mirrorProfile ? 1 : 0) : 1;
    WriteBlockProfilePoints(area, block);
    block->motion = m_motion;
    w.Text(block->motionFile, m_motion == ExistingSpindleFile ? GetSpindleFileName() : GetMotionFile());

    // The feature is made at the wheel's design position: the trace's first line.
    char designFile[Tireenv_params_s::kText] = "";
    TIREENV_create_spindle_file_design_position(block->motionFile, designFile, pointA, pointB);
    std::memcpy(block->motionFile, designFile, sizeof designFile);
    BlockWriter::Lines(block->motionFile, &block->motionLineCount, &block->motionLines);

    block->envelopeConcavity = m_envelopeConcavity;
    block->radialStart = Stamvik::ExpressionValue(m_radialStartAngle);
    block->radialEnd = Stamvik::ExpressionValue(m_radialEndAngle);
    block->distanceToleranceValue = Stamvik::ExpressionValue(m_distanceTolerance);
    block->trimRadiusValue = Stamvik::ExpressionValue(m_trimRadius);
    // The tire body follows the offset file's choice, not the envelope's.
    block->applyOffset = m_useOffsetFile ? 1 : 0;
    int status = WriteBlockOffsets(*this, block, w);
    if (status == 0 && w.refused != 0) status = w.refused;

    FEATURE_RECORD* made = nullptr;
    if (status == 0) {
      FEATURE_RECORD* existing = search != 0 ? FindTireBodyFeature() : nullptr;
      if (existing != nullptr) {
        status = DIEENG_update_frec(existing, block);
        if (status == 0) UPDATE_log_object_to_update(existing);
      } else {
        status = DIEENG_create_frec(TireEnvelopeClassId, block, 0, &made);
        if (status == 0) TireEnvelope_ChangeOutputAttributes(made, block);
      }
    }
    TireEnvelope_FreeApplData(&block);
    if (status == 0 && made != nullptr) *body = FREC_ask_body_eid_p(made);
    // A feature neither made nor updated takes back what was done for it
    // (the older rule's feature logged to go).
    if (status != 0) UNDO_QD_undo_to_mark_no_status(mark, kTireBodyMark);
    UNDO_QD_delete_to_mark(mark, kTireBodyMark);
    return status;
  } catch (const std::exception& e) {
    if (marked) UNDO_QD_undo_to_mark_no_status(mark, kTireBodyMark);
    const int status = Error::HandleAsBuilder(e, kSource, 149);
    if (marked) UNDO_QD_delete_to_mark(mark, kTireBodyMark);
    *body = 0;
    return status;
  }
}

int TireEnvelopeBuilder::ProcessTireBodyPart() {
  PART_part* const entry = CONTEXT_ask_work_part();
  PART_part* const entryRoot = CONTEXT_ask_root_part();
  try {
    int csysType = 0;
    double origin[3], matrix[9];
    GetVehicleCsys(&csysType, origin, matrix);
    double pointA[3] = {0, 0, 0}, pointB[3] = {0, 0, 0};
    bool made = false;
    const std::string file = GetTireBodyOutputFileName();
    // A tire body the inputs cannot give is refused before any part is
    // opened or made: the host would make its feature around no solid.
    if (!(m_tireDefinition == SolidBody && IsSolidBodyFromComponentPart()))
      if (const int refused = TireBodyRefusal(); refused != 0) RaiseMessage(170, refused);

    if (get_mode() == 1 && m_runClearanceAnalysis && !file.empty() &&
        !(m_tireDefinition == SolidBody && IsSolidBodyFromComponentPart()) &&
        PART_ask_part_of_filename(file.c_str()) == nullptr) {
      if (CFI_ask_file_exist(file.c_str()) == 0) {
        PART_load_status_s status{};
        BASE_open_part_quietly(file.c_str(), &status);
        if (status.failed != 0) PART_free_load_status(&status);
      } else {
        PART_part* part = nullptr;
        TIREENV_new_tirebody_part(file.c_str(), &part);
        SetIsNewBodyFile(true);
      }
    }

    PART_part* tireBodyPart = VD_PART_ask_part_tag(file.c_str());
    if (tireBodyPart == nullptr) {
      // Nothing to build in and nothing to place: the component would stand
      // at the origin along no direction.
      SetIsNewBodyFile(false);
      RaiseMessage(186, kNoTireBodyPart);
    }
    tag_t body = 0;
    if (!m_isNewBodyFile) {
      if (tireBodyPart == entry) RaiseMessage(190, kTireBodyPartIsWorkPart);
      WorkIn(tireBodyPart);
      tag_t rules = 0;
      KBL_init_part(CONTEXT_ask_work_part(), &rules);
      // A tire body that could not be made again is the user's to see: the
      // part keeps the one it had and nothing is placed from it.
      if (const int status = CreateTireBodyFeature(1, &body, pointA, pointB); status != 0)
        RaiseMessage(194, status);
      if (body != 0) {
        VD_VIEW_fit_view(1.0);
        SaveTireBodyPart(entry);
      }
    } else {
      WorkIn(tireBodyPart);
      tag_t rules = 0;
      KBL_init_part(CONTEXT_ask_work_part(), &rules);
      VD_update_csys(csysType, origin, matrix);
      if (const int status = CreateTireBodyFeature(0, &body, pointA, pointB); status != 0)
        RaiseMessage(205, status);
      if (body != 0) {
        VD_VIEW_fit_view(1.0);
        SaveTireBodyPart(entry);
      }
      SetIsNewBodyFile(false);
      made = true;
    }

    // With no assembly recorded the session goes back to where it was.
    PART_part* assembly = m_assemblyPart != 0 ? PART_of_tag(m_assemblyPart) : entry;
    if (m_assemblyPart != 0) {
      const double shift = Stamvik::ExpressionValue(m_wheelCenterlineShift);
      WorkIn(assembly);
      HostBlock<char> simpleName = SimpleNameOf(file.c_str());
      // Along the spindle line from its inboard end towards its outboard one.
      const bool outboardA = std::fabs(VD_LOCAL_Y(pointA, origin, matrix)) >=
                             std::fabs(VD_LOCAL_Y(pointB, origin, matrix)) - kDirectionTolerance;
      double d[3], along[3], length = 0;
      if (outboardA)
        Math::Subtract(pointA, pointB, d);
      else
        Math::Subtract(pointB, pointA, d);
      VEC3_unitize(d, kDirectionTolerance, &length, along);
      double position[3];
      Math::AddScaled(pointA, shift, along, position);
      static constexpr double kOrientation[6] = {1, 0, 0, 0, 1, 0};
      // A part made again while its component stands moves that component.
      if (made && m_movingCompInstTag == 0) {
        tag_t instance = 0;
        PART_load_status_s status{};
        const int code = VD_ASSEM_add_part_to_assembly(assembly, file.c_str(), "", simpleName.get(), position,
                                                       kOrientation, 0, &instance, &status);
        PART_free_load_status(&status);
        if (code != 0) RaiseMessage(236, code);
        SetMovingCompInstTag(instance);
      } else if (m_movingCompInstTag != 0) {
        // The mark's failure text gives no code (the code is passed, unused).
        UnderMark(nullptr, "Failed to set UNDO mark", 241, [&] {
          if (const int code = VD_ASSEM_reposition_instance(m_movingCompInstTag, position, kOrientation); code != 0)
            RaiseMessage(245, code);
        });
      }
      VD_VIEW_fit_view(1.0);
      VD_update_do_update();
    }
    WorkIn(assembly);
    RepositionMovingComponent();
    return 0;
  } catch (const std::exception& e) {
    // A failure leaves the session in the parts it was working in.
    if (CONTEXT_ask_root_part() != entryRoot) CONTEXT_set_root_part(entryRoot == entry ? nullptr : entryRoot);
    if (CONTEXT_ask_work_part() != entry) CONTEXT_set_work_part(entry);
    return Error::HandleAsBuilder(e, kSource, 263);
  }
}

}  // namespace KTX::VDJA
