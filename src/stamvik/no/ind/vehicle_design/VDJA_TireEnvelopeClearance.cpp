// The tire envelope's moving component: a solid tire body of another part
// placed at its markers, the component moved to the first position of the
// motion, and the clearance analysis of the envelope and of the moving
// component against the selected bodies and components.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "Support.hpp"
#include "VDJA_TireEnvelopeBlock.hpp"
#include "VDJA_TireEnvelopeBuilder.hpp"
#include "assy/Assembly.hpp"
#include "clear/Clearance.hpp"
#include "exp/Expression.hpp"
#include "geom/Curve.hpp"
#include "geom/Geometry.hpp"
#include "geom/Sketch.hpp"
#include "geom/Transform.hpp"
#include "math/Vector.hpp"
#include "om/ObjectManager.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "sys/TextFile.hpp"
#include "vd/Motion.hpp"
#include "vd/TireClearance.hpp"

namespace KTX::VDJA {

namespace {

constexpr const char* kSource = "VDJA_TireEnvelopeBuilder";
using Messages::kMarkersMissing;
using Messages::kMarkersRefused;
using Messages::kReassemblyRefused;
constexpr int kPointType = 2;
constexpr int kRefusedMarkerType = 205;
constexpr int kComponentType = 63;
constexpr int kMaxMovingParts = 1000;
constexpr double kDirectionTolerance = 1e-10;
constexpr const char* kEnvelopeDataset = "TIRE_ENVELOPE";
constexpr const char* kTireBodyDataset = "TIRE_BODY";

std::vector<tag_t> TagsOf(const TagListObject* list) {
  int count = 0;
  tag_t* tags = nullptr;
  list->ask_tags(&count, &tags);
  Stamvik::HostBlock<tag_t> owned(tags);
  return std::vector<tag_t>(tags, tags + (count > 0 ? count : 0));
}

std::string CopyName(int index) {
  char name[64];
  std::snprintf(name, sizeof name, "ROLL_MOVING_COMP_COPY_%d", index);
  return name;
}

// The work part's clearance data sets of that name.
std::vector<tag_t> DatasetsNamed(PART_part* part, const char* name) {
  int count = 0;
  CLEAR_count_datasets(part, &count);
  std::vector<tag_t> sets(static_cast<std::size_t>(count > 0 ? count : 0)), named;
  if (count > 0) CLEAR_ask_dataset_array(part, sets.data());
  for (tag_t set : sets) {
    char* text = nullptr;
    CLEAR_ask_dataset_name(set, &text);
    Stamvik::HostBlock<char> owned(text);
    if (text != nullptr && std::strcmp(text, name) == 0) named.push_back(set);
  }
  return named;
}

// The moving component's parts: the component itself when it has no child
// parts, else each child once, in the order the host gives them.
std::vector<tag_t> MovingParts(tag_t component) {
  int count = 0;
  tag_t* parts = nullptr;
  TIREENV_ask_child_part_tags(component, &count, &parts);
  Stamvik::HostBlock<tag_t> owned(parts);
  if (count == 1) return {component};
  std::vector<tag_t> moving;
  for (int i = 1; i < count && static_cast<int>(moving.size()) < kMaxMovingParts; ++i)
    if (!VD_is_exist_in_tag_array(parts[i], moving.data(), static_cast<int>(moving.size())))
      moving.push_back(parts[i]);
  return moving;
}

// A clearance zone's expression for the value.
tag_t ZoneExpression(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%f", value);
  tag_t expression = 0;
  if (const int code = VD_MODL_create_exp_tag(text, &expression); code != 0)
    ERROR_raise(kSource, 121, code, "cannot make the clearance zone's expression");
  return expression;
}

void Unit(const double v[3], double unit[3]) {
  double length = 0;
  VEC3_unitize(v, kDirectionTolerance, &length, unit);
}

}  // namespace

int TireEnvelopeBuilder::ReassemTireBodyComponent() {
  try {
    if (m_tireDefinition != SolidBody || !IsSolidBodyFromComponentPart()) return 0;
    int status = 0;
    const std::vector<tag_t> bodies = TagsOf(m_tireDefinitionBody);
    if (!bodies.empty() && OCC_is_occurrence(bodies.back())) {
      const tag_t body = bodies.back();
      const tag_t occurrence = OCC_is_part_occurrence(body) ? body : OCC_ask_part_occurrence(body);
      PART_part* part = OCC_ask_part_of_part_occ(occurrence);
      Stamvik::HostBlock<char> fileName(part != nullptr ? PART_ask_filename_of_part(part) : nullptr);
      if (part != nullptr && PART_is_part_loaded_tol(part) != 1) {
        int load = 0;
        if (PART_load_component(part, &load) != 0) status = load;
      }
      PART_set_displayed_part(part);
      unsigned int spindle = 0, wheel = 0;
      VD_OBJ_cycle_by_name("SPINDLE_POINT", &spindle);
      VD_OBJ_cycle_by_name("WHEEL_POINT", &wheel);
      int markers = kMarkersMissing;
      bool found = false;
      // Either marker missing leaves nothing to place by: no type is asked of tag 0.
      if (spindle != 0 && wheel != 0) {
        int spindleType = 0, wheelType = 0, subtype = 0;
        RM_ask_entity_type_and_subtype(spindle, &spindleType, &subtype);
        RM_ask_entity_type_and_subtype(wheel, &wheelType, &subtype);
        if (spindleType == kRefusedMarkerType) {
          markers = wheelType == kRefusedMarkerType ? kMarkersRefused : kMarkersMissing;
        } else if (spindleType == kPointType && wheelType == kPointType) {
          double wheelPoint[3], spindlePoint[3];
          ES_ask_coordinates_of_point(wheel, wheelPoint);
          ES_ask_coordinates_of_point(spindle, spindlePoint);
          SetSpindleLineEndPoint(wheelPoint, spindlePoint);
          markers = 0;
          found = true;
        }
      }
      if (status == 0) status = markers;
      PART_set_displayed_part(CONTEXT_ask_work_part());
      if (status == 0 && found && m_movingCompInstTag == 0) {
        double wheelPoint[3], spindlePoint[3];
        GetSpindleLineEndPoint(wheelPoint, spindlePoint);
        tag_t instance = 0;
        if (TIREENV_reassemble_origin_tirebody_component(wheelPoint, spindlePoint, occurrence, &instance) == 0)
          SetMovingCompInstTag(instance);
        else
          status = kReassemblyRefused;
      }
    }
    RepositionMovingComponent();
    return status;
  } catch (const std::exception& e) {
    return Error::HandleAsBuilder(e, kSource, 183);
  }
}

int TireEnvelopeBuilder::RepositionMovingComponent() {
  double** pointsA = nullptr;
  double** pointsB = nullptr;
  int steps = 0;
  const auto freePoints = [&] {
    for (int i = 0; i < steps; ++i) {
      SM_free(pointsA[i]);
      SM_free(pointsB[i]);
    }
    SM_free(pointsA);
    SM_free(pointsB);
    pointsA = pointsB = nullptr;
    steps = 0;
  };
  try {
    const bool shown = get_mode() == 1;
    int type = 0;
    double origin[3], matrix[9];
    GetVehicleCsys(&type, origin, matrix);
    const bool fromComponent = m_tireDefinition == SolidBody && IsSolidBodyFromComponentPart();
    const std::vector<tag_t> bodies = TagsOf(m_tireDefinitionBody);
    const bool usable = !fromComponent || (!bodies.empty() && OCC_is_occurrence(bodies.back()));
    const tag_t occurrence = usable ? OCC_ask_part_occ_of_instance(m_movingCompInstTag) : 0;
    PART_part* work = CONTEXT_ask_work_part();

    if (shown) {
      DSS_HILT_unhighlight_object(occurrence);
      if (!DatasetsNamed(work, kTireBodyDataset).empty() && usable) {
        const std::vector<tag_t> parts = MovingParts(occurrence);
        const tag_t root = PART_ask_occ_part_of_part(work);
        for (tag_t part : parts) OCC_blank_component(part, true, true, nullptr);
        for (std::size_t i = 0; i < parts.size(); ++i)
          if (tag_t copy = OCC_ask_instance_of_name(root, CopyName(static_cast<int>(i)).c_str()); copy != 0)
            OCC_blank_component(OCC_ask_part_occ_of_instance(copy), false, true, nullptr);
      }
    }

    const double shift = Stamvik::ExpressionValue(m_wheelCenterlineShift);
    const int status = TIREENV_read_spindle_file(GetMotionFile(), 0, &steps, &pointsA, &pointsB);
    if (usable && m_movingCompInstTag != 0 && status == 0 && steps > 0) {
      const double* a = pointsA[0];
      const double* b = pointsB[0];
      double d[3];
      const bool outboardB =
          std::fabs(VD_LOCAL_Y(b, origin, matrix)) >= std::fabs(VD_LOCAL_Y(a, origin, matrix)) - kDirectionTolerance;
      if (outboardB)
        Math::Subtract(b, a, d);
      else
        Math::Subtract(a, b, d);
      double along[3];
      Unit(d, along);
      double position[3], orientation[6] = {1, 0, 0, 0, 1, 0};
      Math::AddScaled(b, shift, along, position);
      if (fromComponent) {
        // The component's own spindle axis (wheel marker W, spindle marker S)
        // turned onto the traced one, W carried to the shifted base point.
        double wheel[3], spindle[3], axis0[3], frame0[9], frame1[9];
        GetSpindleLineEndPoint(wheel, spindle);
        const double w2s[3] = {wheel[0] - spindle[0], wheel[1] - spindle[1], wheel[2] - spindle[2]};
        Unit(w2s, axis0);
        MTX3_init_z(axis0, frame0);
        MTX3_init_z(along, frame1);
        static constexpr double kOrigin[3] = {0, 0, 0}, kX[3] = {1, 0, 0}, kY[3] = {0, 1, 0};
        double m1[16], m2[16], m[16];
        MTX4_csys_to_csys(wheel, frame0, axis0, kOrigin, kX, kY, m1);
        MTX4_csys_to_csys(kOrigin, kX, kY, b, frame1, along, m2);
        MTX4_multiply(m1, m2, m);
        const double axes[6] = {m[0], m[4], m[8], m[1], m[5], m[9]};
        std::memcpy(orientation, axes, sizeof axes);
        for (int r = 0; r < 3; ++r) position[r] -= Math::Dot(m + 4 * r, wheel);
      }
      const tag_t instance = m_movingCompInstTag;
      UnderMark(nullptr, kMarkFailure, 73, [&] {
        if (const int code = VD_ASSEM_reposition_instance(instance, position, orientation); code != 0)
          ERROR_raise(kSource, 259, code, "%s", "");
      });
    }
    freePoints();
    return status;
  } catch (const std::exception& e) {
    freePoints();
    return Error::HandleAsBuilder(e, kSource, 266);
  }
}

int TireEnvelopeBuilder::PerformCleranceAnalysis() {
  try {
    const std::string motionFile = GetMotionFile();
    int type = 0;
    double origin[3], matrix[9];
    GetVehicleCsys(&type, origin, matrix);
    const bool fromComponent = m_tireDefinition == SolidBody && IsSolidBodyFromComponentPart();
    const std::vector<tag_t> tireBodies = TagsOf(m_tireDefinitionBody);
    const bool usable = !fromComponent || (!tireBodies.empty() && OCC_is_occurrence(tireBodies.back()));
    const tag_t moving = usable ? OCC_ask_part_occ_of_instance(m_movingCompInstTag) : 0;

    const std::vector<tag_t> components = TagsOf(m_clearanceAnalysisComponents);
    const int nC = static_cast<int>(components.size());
    TIREENV_load_fixing_components_fully(components.data(), nC);
    const std::vector<tag_t> bodies = TagsOf(m_clearanceAnalysisBodies);
    const int nB = static_cast<int>(bodies.size());
    const double clearance = Stamvik::ExpressionValue(m_clearanceValue);
    // One offset per component by place; a component past the offsets has
    // none of its own and keeps the default zone.
    const int ownOffsets = std::min(GetCompOffsetLength(), nC);
    std::vector<double> offsets(static_cast<std::size_t>(nC), 0.0);
    for (int i = 0; i < ownOffsets; ++i) offsets[static_cast<std::size_t>(i)] = GetCompOffset(i);

    if (nB + nC < 1) return 0;
    // The body of the feature the builder edits (or made) as it is now: an
    // update gives the feature a new one, and a read-back none of its own.
    FEATURE_RECORD* feature = get_frec();
    const tag_t held = feature != nullptr && TireEnvelope_Is(feature) > 0 ? FREC_ask_body_eid_p(feature) : 0;
    const tag_t envelope = !m_createTireEnvelopeFeature ? 0 : held != 0 ? held : m_tireEnvelopeBody;
    PART_part* work = CONTEXT_ask_work_part();
    for (const char* name : {kTireBodyDataset, kEnvelopeDataset})
      for (tag_t set : DatasetsNamed(work, name)) CLEAR_delete_dataset(set);

    int status = 0;
    UnderMark(nullptr, kMarkFailure, 73, [&] {
      if (!m_createTireEnvelopeFeature || envelope == 0) return;
      tag_t set = 0;
      if (const int code = CLEAR_create_dataset(work, kEnvelopeDataset, &set); code != 0)
        ERROR_raise(kSource, 304, code, "%s", "");
      VD_CLEAR_set_analysis_mode(set, 3);
      CLEAR_set_default_clear_zone(set, ZoneExpression(clearance));
      int checkedCount = 0, zoneCount = 0;
      tag_t *checked = nullptr, *zoned = nullptr;
      TIREENV_ask_clr_list_objs(set, offsets.data(), nB, bodies.data(), nC, components.data(), &checkedCount, &checked,
                                &zoneCount, &zoned);
      Stamvik::HostBlock<tag_t> ownedChecked(checked), ownedZoned(zoned);
      CLEAR_set_obj_list(set, 2, 4, checkedCount, checked, 0);
      status = CLEAR_set_obj_list(set, 1, 4, 1, &envelope, 0);
      if (zoneCount > 0) TIREENV_add_objs_zone(set, zoneCount, zoned, checked);
      CLEAR_store_callbacks();
      CLEAR_reset_callbacks();
      CLEAR_do_clearance_analysis(set, nullptr, 0);
      CLEAR_restore_callbacks();
    });

    int movingType = 0, subtype = 0;
    if (moving != 0) RM_ask_entity_type_and_subtype(moving, &movingType, &subtype);
    if (movingType == kComponentType) {
      UnderMark(nullptr, kMarkFailure, 73, [&] {
        tag_t set = 0;
        status = CLEAR_create_displaced_dataset(work, kTireBodyDataset, &set);
        if (status != 0) return;
        TIREENV_build_clear_configurations(set, motionFile.c_str(), origin, matrix);
        CLEAR_set_default_clear_zone(set, ZoneExpression(clearance));
        std::vector<tag_t> zones(static_cast<std::size_t>(ownOffsets));
        for (int i = 0; i < ownOffsets; ++i)
          zones[static_cast<std::size_t>(i)] = ZoneExpression(offsets[static_cast<std::size_t>(i)]);
        TIREENV_ENGINE_ROLL_add_objects_to_list(set, 2, nC, components.data());
        const std::vector<tag_t> parts = MovingParts(moving);
        bool copies = get_mode() == 0;
        if (!copies) {
          copies = true;
          const std::string first = CopyName(0);
          for (tag_t instance = VD_ASSEM_cycle_inst_of_part(work, 0); instance != 0 && copies;
               instance = VD_ASSEM_cycle_inst_of_part(work, instance)) {
            char *partName = nullptr, *referenceSet = nullptr, *componentName = nullptr;
            double at[3], axes[9], placement[16];
            ASSY_ask_component_data(instance, &partName, &referenceSet, &componentName, at, axes, placement);
            copies = componentName == nullptr || first != componentName;
            SM_free(partName);
            SM_free(referenceSet);
            SM_free(componentName);
          }
        }
        if (copies) TIREENV_ENGINE_ROLL_copy_moving_comp(work, set, parts.data(), static_cast<int>(parts.size()));
        TIREENV_ENGINE_ROLL_add_objects_to_list(set, 1, static_cast<int>(parts.size()), parts.data());
        for (int i = 0; i < ownOffsets; ++i)
          if (CLEAR_find_clear_object(set, components[static_cast<std::size_t>(i)]) != 0)
            CLEAR_set_object_clearance_zone(set, components[static_cast<std::size_t>(i)],
                                            zones[static_cast<std::size_t>(i)]);
      });
    } else if (!m_createTireEnvelopeFeature || envelope == 0) {
      // Objects to check against and nothing to check: the user is told why
      // rather than shown no result at all.
      ERROR_note("The clearance analysis checked nothing: %s, and no tire body component is placed to move",
                 m_createTireEnvelopeFeature ? "the tire envelope has no body" : "no tire envelope is made");
    }
    return status;
  } catch (const std::exception& e) {
    return Error::HandleAsBuilder(e, kSource, 360);
  }
}

}  // namespace KTX::VDJA
