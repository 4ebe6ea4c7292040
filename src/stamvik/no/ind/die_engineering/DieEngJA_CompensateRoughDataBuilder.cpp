#include "DieEngJA_CompensateRoughDataBuilder.hpp"

#include <exception>

#include "CommitPath.hpp"
#include "DieEngJA_CommitMarks.hpp"
#include "HeldSelections.hpp"
#include "InputChecks.hpp"
#include "Messages.hpp"
#include "OnEveryExit.hpp"
#include "Support.hpp"
#include "kernel/Kernel.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "sys/Settings.hpp"
#include "upd/Update.hpp"

namespace KTX::DieEngJA {

namespace {
constexpr const char* kSource = "DieEngJA_CompensateRoughDataBuilder";
constexpr const char* kMarkName = "DieEngJA::CompensateRoughDataBuilder::commit_feature";
using Messages::kAngleToleranceTooSmall;
using Messages::kDistanceToleranceTooSmall;
using Messages::kNoCurves;
using Messages::kNoDatabaseParms;
using Messages::kNoSheetBodies;
using Messages::kSheetBodiesKept;
// The type of a feature is fixed once it exists.
using Messages::kTypeChangeWhileEditing;
// Values the validation compares with are above these by more than rounding.
constexpr double kMargin = 1e-10;
// Who the diagnostic of a kept input sheet comes from, and its kind.
constexpr int kDiagnosticOwner = 22;
constexpr int kDiagnosticType = 1;
constexpr int kSheetRecordVersion = 2;

bool isOfClass(const FEATURE_PARMS* parms, int classId) {
  return parms != nullptr && OM::OM_is_subclass(parms->OmClassId(), classId);
}

// The request with which the sheet parameters' body references are written and read.
BREF_request_s bodyRequest(FEATURE_RECORD* frec, double distanceTolerance, double angleTolerance) {
  return BREF_request_s{1, frec, 0, distanceTolerance, angleTolerance};
}
}  // namespace

STAMVIK_OM_INSTANCE_SIZE_DEF(CompensateRoughDataBuilder)
STAMVIK_OM_DEFINE_CLASS(CompensateRoughDataBuilder, "KTX::JAX_FEAT_BUILDER", 0x1000,
                        &GetCompensateRoughDataBuilderInstanceSize, STAMVIK_COMPENSATE_ROUGH_DATA_BUILDER_ATTRIBUTES)

CompensateRoughDataBuilder* CompensateRoughDataBuilderFactory::Create(CM_part* part, FEATURE_RECORD* frec) {
  return Frame::CreateAndInit<CompensateRoughDataBuilder>(CompensateRoughDataBuilderClassId, [&](auto* made) {
    made->InitCreate(part, frec);
  });
}

void CompensateRoughDataBuilder::InitCreate(CM_part* part, FEATURE_RECORD* frec) {
  init_object(part, frec);
  PART_part* owner = ask_owning_part();
  // The builder owns what it makes: the list goes with it, and so do the
  // section and the collector unless a committed feature holds them.
  OM::OM_set_pointer(this, m_sheetBodiesAttId, SELECT_OBJECT_listFactory::Create(owner, false));
  if (frec != nullptr) {
    ConvertFrecToBuilderData(frec);
    return;
  }
  // The builder's own tolerances are still 0 here: the section takes the
  // host's current ones, so that it can chain curves at all.
  const double distance = TOLER_ask_distance_tol();
  SC_section* curves = SC_sectionFactory::object(OM::OM_ask_object_tag(owner), distance, distance,
                                                 TOLER_ask_angular_tol());
  curves->set_associative(true);
  OM::OM_set_pointer(this, m_curveCollectorAttId, curves);
  OM::OM_set_pointer(this, m_projectToFacesAttId, SC_collectorFactory::object(OM::OM_ask_object_tag(owner)));
}

void CompensateRoughDataBuilder::ConvertFrecToBuilderData(FEATURE_RECORD* frec) {
  FEATURE_PARMS* parms = FREC_ask_parms_of_frec(frec);
  if (isOfClass(parms, DieEng::CompensateRoughCurve::ThisClassId))
    FromCurveParms(static_cast<DieEng::CompensateRoughCurve*>(parms));
  else if (isOfClass(parms, DieEng::CompensateRoughSheet::ThisClassId))
    FromSheetParms(static_cast<DieEng::CompensateRoughSheet*>(parms));
  else
    ERROR_raise(kSource, 373, kNoDatabaseParms, "Not a compensate rough data feature");
}

void CompensateRoughDataBuilder::FromCurveParms(DieEng::CompensateRoughCurve* parms) {
  // The feature's section and collector stay the feature's: the builder
  // works on copies it owns, which a commit writes into them
  // (HeldSelections.hpp). Parameters that already hold the builder's own,
  // as the draw punch's smoothing hands back, keep them: a copy would leave
  // apart what the caller filled and what the commit writes.
  const tag_t part = OM::OM_ask_object_tag(ask_owning_part());
  if (SC_section* curves = parms->GetCurveCollector(); curves != m_curveCollector || curves == nullptr)
    OM::OM_set_pointer(this, m_curveCollectorAttId, Stamvik::CopyOfSection(curves, part));
  if (SC_collector* faces = parms->GetProjectToFaces(); faces == m_projectToFaces && faces != nullptr)
    ;
  else if (faces != nullptr)
    OM::OM_set_pointer(this, m_projectToFacesAttId, Stamvik::CopyOfCollector(faces, part));
  else
    OM::OM_set_pointer(this, m_projectToFacesAttId,
                       SC_collectorFactory::object(OM::OM_ask_object_tag(ask_owning_part())));
  OM::LogForWrite(this);
  m_joinOutputCurves = parms->GetJoinOutputCurves();
  m_approximation = parms->GetApproximation();
  m_distanceTolerance = parms->GetDistanceTolerance();
  m_angleTolerance = parms->GetAngleTolerance();
  m_maximumGap = parms->GetMaximumGap();
  m_type = JA_COMPENSATE_ROUGH_DATA_BUILDER_types_Curve;
}

void CompensateRoughDataBuilder::ToCurveParms(DieEng::CompensateRoughCurve* parms) const {
  // An edit's copies are written into the feature's own section and
  // collector, which it keeps (their tags); a new feature takes the builder's.
  if (SC_section* own = parms->GetCurveCollector(); own != nullptr && m_curveCollector != nullptr && own != m_curveCollector) {
    if (const int rc = Stamvik::WriteContents(own, m_curveCollector); rc != 0)
      ERROR_raise(kSource, 402, rc, "cannot write the curves into the feature's section");
  } else {
    parms->SetCurveCollector(m_curveCollector);
  }
  const int count = m_projectToFaces != nullptr ? m_projectToFaces->ask_count() : 0;
  // An empty collector means no projection at all.
  if (SC_collector* own = parms->GetProjectToFaces(); count > 0 && own != nullptr && own != m_projectToFaces)
    Stamvik::WriteContents(own, m_projectToFaces);
  else
    parms->SetProjectToFaces(count > 0 ? m_projectToFaces : nullptr);
  parms->SetJoinOutputCurves(m_joinOutputCurves);
  parms->SetApproximation(m_approximation);
  parms->SetDistanceTolerance(m_distanceTolerance);
  parms->SetAngleTolerance(m_angleTolerance);
  parms->SetMaximumGap(m_maximumGap);
}

void CompensateRoughDataBuilder::ToSheetParms(DieEng::CompensateRoughSheet* parms) const {
  const BREF_request_s request = bodyRequest(get_frec(), m_distanceTolerance, m_angleTolerance);
  int count = 0;
  Stamvik::HostBlock<tag_t> bodies;
  if (m_sheetBodies != nullptr) m_sheetBodies->ask_tags(&count, bodies.out());
  const int rc = parms->GetBodyReferences().SetBodies(&request, count, bodies.get());
  bodies.reset();
  if (rc != 0) ERROR_raise(kSource, 434, rc, "Error from setting brefs");
  parms->SetModifyInputSheet(m_modifyInputSheet);
  parms->SetApproximation(m_approximation);
  parms->SetDistanceTolerance(m_distanceTolerance);
  parms->SetAngleTolerance(m_angleTolerance);
  parms->SetMaximumGap(m_maximumGap);
}

void CompensateRoughDataBuilder::FromSheetParms(DieEng::CompensateRoughSheet* parms) {
  const BREF_request_s request = bodyRequest(get_frec(), parms->GetDistanceTolerance(), parms->GetAngleTolerance());
  int count = 0;
  Stamvik::HostBlock<tag_t> bodies;
  const int rc = parms->GetBodyReferences().AskBodies(&request, &count, bodies.out());
  if (rc == 0 && m_sheetBodies != nullptr) m_sheetBodies->set_tags(count, bodies.get());
  bodies.reset();
  OM::LogForWrite(this);
  m_modifyInputSheet = parms->GetModifyInputSheet();
  m_approximation = parms->GetApproximation();
  m_distanceTolerance = parms->GetDistanceTolerance();
  m_angleTolerance = parms->GetAngleTolerance();
  m_maximumGap = parms->GetMaximumGap();
  m_type = JA_COMPENSATE_ROUGH_DATA_BUILDER_types_SheetBody;
}

int CompensateRoughDataBuilder::validate_nothrow() {
  if (int rc = Stamvik::CheckInputs(this); rc != 0) return rc;
  double precision = 0;
  ZV_SESSION_ask_precision(&precision);
  if (precision * Kernel::ScaleFactors().factors[1] + kMargin > m_distanceTolerance) return kDistanceToleranceTooSmall;
  double angular = 0;
  ZV_SESSION_ask_angle_precision(&angular);
  if (angular + kMargin > m_angleTolerance) return kAngleToleranceTooSmall;
  if (FEATURE_RECORD* frec = get_frec(); frec != nullptr) {
    const FEATURE_PARMS* parms = frec->ask_parms();
    if (isOfClass(parms, DieEng::CompensateRoughCurve::ThisClassId) && !IsCurveMode()) return kTypeChangeWhileEditing;
    if (isOfClass(parms, DieEng::CompensateRoughSheet::ThisClassId) && IsCurveMode()) return kTypeChangeWhileEditing;
  }
  if (IsCurveMode()) return m_curveCollector == nullptr || m_curveCollector->is_empty() ? kNoCurves : 0;
  return m_sheetBodies == nullptr || m_sheetBodies->ask_count() == 0 ? kNoSheetBodies : 0;
}

int CompensateRoughDataBuilder::commit_feature(FEATURE_RECORD** frec) {
  // In its turn with the other builders alive on the feature (CommitPath.hpp).
  return Stamvik::CommitInTurn(this, [&]() -> int {
    // Each commit runs under its marks (CommitMarks), the one commit path's
    // undo mark and a memory mark, from its first step to its last.
    if (FEATURE_RECORD* edited = get_frec(); edited != nullptr) return CommitEdit(edited);
    return CommitNew(frec);
  });
}

int CompensateRoughDataBuilder::CommitNew(FEATURE_RECORD** frec) {
  *frec = nullptr;
  CommitMarks marks(kMarkName, kSource, 105);
  if (marks.Failure() != 0) return marks.Failure();
  FEATURE_RECORD* made = nullptr;
  int status = 0;
  try {
    UPDATE_check_empty_list();
    bool apply = true;
    if (IsCurveMode()) {
      DieEng::CompensateRoughCurve* parms = DieEng::CompensateRoughCurveFactory::Create();
      ToCurveParms(parms);
      CM_create_frec_using_parms(parms, &made);
    } else {
      DieEng::CompensateRoughSheet* parms = DieEng::CompensateRoughSheetFactory::Create();
      ToSheetParms(parms);
      CM_create_frec_using_parms(parms, &made);
      FREC_set_frec_version(made, kSheetRecordVersion);
      if (m_modifyInputSheet) {
        if (m_sheetBodies->ask_count() == 1) {
          // The one input sheet is modified in place: the feature works on it.
          BREF_set_current_target(CM__ask_current_part_ptr(), ES_solid_ask_solvane_tag(m_sheetBodies->ask_nth(0)));
          apply = false;
        } else {
          Diagnostic::LogDiagnostic(kSheetBodiesKept, ERROR_decode(kSheetBodiesKept), 0, nullptr, kDiagnosticOwner,
                                    kDiagnosticType);
        }
      }
    }
    Stamvik::HostBlock<char> name;
    FMI_invoke_ask_name(made, name.out());
    made->set_name(name.get());
    if (!IsCurveMode()) status = CM_include_frec(made, apply);
    if (status == 0) status = CM_apply_frec(made, apply);
    if (status == 0) UPDATE_do_update();
    if (status == 0 && IsCurveMode()) GoOnWithCopies();
    // Kept open and committed again, the builder edits the feature it made.
    if (status == 0) set_frec(made);
  } catch (const std::exception& e) {
    status = Error::HandleAsBuilder(e, kSource, 178);
  }
  if (marks.Finish(status) == 0) *frec = made;
  return status;
}

void CompensateRoughDataBuilder::GoOnWithCopies() {
  // The new feature keeps the builder's section and collector; a builder
  // kept open after the commit goes on with copies of them, so that what a
  // script changes through it later reaches the feature only at a commit.
  const tag_t part = OM::OM_ask_object_tag(ask_owning_part());
  if (SC_section* kept = m_curveCollector; kept != nullptr) {
    OM::OM_set_pointer(this, m_curveCollectorAttId, Stamvik::CopyOfSection(kept, part));
    OM::OM_set_owner(kept, nullptr);
  }
  if (SC_collector* kept = m_projectToFaces; kept != nullptr && kept->ask_count() > 0) {
    OM::OM_set_pointer(this, m_projectToFacesAttId, Stamvik::CopyOfCollector(kept, part));
    OM::OM_set_owner(kept, nullptr);
  }
}

int CompensateRoughDataBuilder::CommitEdit(FEATURE_RECORD* frec) {
  CommitMarks marks(kMarkName, kSource, 208);
  if (marks.Failure() != 0) return marks.Failure();
  int status = 0;
  try {
    FEATURE_PARMS* parms = FREC_ask_parms_of_frec(frec);
    if (IsCurveMode() && isOfClass(parms, DieEng::CompensateRoughCurve::ThisClassId))
      ToCurveParms(static_cast<DieEng::CompensateRoughCurve*>(parms));
    else if (!IsCurveMode() && isOfClass(parms, DieEng::CompensateRoughSheet::ThisClassId))
      ToSheetParms(static_cast<DieEng::CompensateRoughSheet*>(parms));
    else
      ERROR_raise(kSource, 220, kTypeChangeWhileEditing, "%s", "");
    UPDATE_log_object_to_update(frec);
  } catch (const std::exception& e) {
    status = Error::HandleAsBuilder(e, kSource, 228);
  }
  return marks.Finish(status);
}

char* CompensateRoughDataBuilder::ask_journal_class_name() const {
  return SM_string_copy("Die.CompensateRoughDataBuilder");
}

JA_COMPENSATE_ROUGH_DATA_BUILDER_approximation_type CompensateRoughDataBuilder::GetApproximation() const {
  return static_cast<JA_COMPENSATE_ROUGH_DATA_BUILDER_approximation_type>(GetIntApproximation());
}
void CompensateRoughDataBuilder::SetApproximation(JA_COMPENSATE_ROUGH_DATA_BUILDER_approximation_type approximation) {
  SetIntApproximation(approximation);
}
JA_COMPENSATE_ROUGH_DATA_BUILDER_types CompensateRoughDataBuilder::GetType() const {
  return static_cast<JA_COMPENSATE_ROUGH_DATA_BUILDER_types>(GetIntType());
}

void CompensateRoughDataBuilder::SetType(JA_COMPENSATE_ROUGH_DATA_BUILDER_types type) {
  // The edited feature's parameters are of one type; switching would orphan them.
  if (get_frec() != nullptr && type != GetType())
    ERROR_raise("DieEngJA_CompensateRoughDataBuilder", 350, kTypeChangeWhileEditing, "%s", "");
  OM::LogForWrite(this);
  m_type = type;
}

void CompensateRoughDataBuilder::SetIntType(int type) {
  OM::LogForWrite(this);
  m_type = type;
}
void CompensateRoughDataBuilder::SetIntApproximation(int approximation) {
  OM::LogForWrite(this);
  m_approximation = approximation;
}
void CompensateRoughDataBuilder::SetDistanceTolerance(double tolerance) {
  OM::LogForWrite(this);
  m_distanceTolerance = tolerance;
}
void CompensateRoughDataBuilder::SetAngleTolerance(double tolerance) {
  OM::LogForWrite(this);
  m_angleTolerance = tolerance;
}
void CompensateRoughDataBuilder::SetMaximumGap(double gap) {
  OM::LogForWrite(this);
  m_maximumGap = gap;
}
void CompensateRoughDataBuilder::SetJoinOutputCurves(bool join) {
  OM::LogForWrite(this);
  m_joinOutputCurves = join;
}
void CompensateRoughDataBuilder::SetModifyInputSheet(bool modify) {
  OM::LogForWrite(this);
  m_modifyInputSheet = modify;
}

// A feature's section or collector, referred to and not owned.
void CompensateRoughDataBuilder::SetCurveCollector(SC_section* section) {
  OM::SetReferencedObject(this, m_curveCollectorAttId, section);
}
void CompensateRoughDataBuilder::SetProjectToFaces(SC_collector* faces) {
  OM::SetReferencedObject(this, m_projectToFacesAttId, faces);
}

}  // namespace KTX::DieEngJA
