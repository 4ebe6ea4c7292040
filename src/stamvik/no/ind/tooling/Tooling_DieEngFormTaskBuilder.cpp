#include "Tooling_DieEngFormTaskBuilder.hpp"

#include <cstring>
#include <exception>

#include "CommitPath.hpp"
#include "HeldBeside.hpp"
#include "HeldSelections.hpp"
#include "Messages.hpp"
#include "Support.hpp"
#include "geom/Geometry.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "upd/Update.hpp"

namespace KTX::Tooling {

namespace {
constexpr const char* kSource = "Tooling_DieEngFormTaskBuilder";
constexpr const char* kCommitMark = "Tooling::DieEngFormTaskBuilder::commit_feature";
using Messages::kNoDatabaseParms;
// The numbers of the two die-engineering defaults blocks a form task reads.
constexpr int kDefaultsFirst = 4;
constexpr int kDefaultsSecond = 5;
// What the region data of a form task is.
constexpr int kRegionType = 2;
constexpr int kBoundsKind = 0;
constexpr int kShapeKind = 1;

bool isBody(tag_t object) { return dynamic_cast<ES_solid*>(OM::OM_object_of_tag(object)) != nullptr; }

void clearBodies(DIE_FRMTSK_s* record) {
  SM_free(record->shapeDetailBodies);
  record->shapeDetailBodies = nullptr;
  record->shapeDetailCount = 0;
}

void clearDetails(DIE_FRMTSK_s* record) {
  for (int i = 0; i < record->detailCount && record->details != nullptr; ++i) SM_free(record->details[i]);
  SM_free(record->details);
  record->details = nullptr;
  record->detailCount = 0;
}

template <class T>
T* newArray(int count) {
  auto* array = static_cast<T*>(SM_calloc(static_cast<std::size_t>(count), sizeof(T)));
  if (array == nullptr) ERROR_raise(kSource, 41, Error::kNoMemory, "no memory for the form task");
  return array;
}
}  // namespace

namespace {
void FreeRecord(DIE_FRMTSK_s* const& record) noexcept {
  Stamvik::RunNoted("DIE_FRMTSK_free_appl_data", [record] { DIE_FRMTSK_free_appl_data(record); });
}
// The record each builder holds: its field is restored by undo with the rest
// of the object (an undo of the builder's making may give it back as it was
// before the record was set), so the record is held beside the builder. A
// destroy that an undo may take back keeps it.
using HeldRecords = Stamvik::HeldBeside<DieEngFormTaskBuilder, DIE_FRMTSK_s*, &FreeRecord>;
}  // namespace

void OnHostRelease(DieEngFormTaskBuilder* builder) { HeldRecords::Drop(builder); }

STAMVIK_OM_INSTANCE_SIZE_DEF(DieEngFormTaskBuilder)
STAMVIK_OM_DEFINE_CLASS(DieEngFormTaskBuilder, "KTX::JAX_FEAT_BUILDER", 0x1000, &GetDieEngFormTaskBuilderInstanceSize,
                        STAMVIK_DIE_ENG_FORM_TASK_BUILDER_ATTRIBUTES)

DieEngFormTaskBuilder* DieEngFormTaskBuilderFactory::Create(CM_part* part, FEATURE_RECORD* frec) {
  return Frame::CreateAndInit<DieEngFormTaskBuilder>(DieEngFormTaskBuilderClassId, [&](DieEngFormTaskBuilder* made) {
    made->InitCreate(part, frec);
  });
}

void DieEngFormTaskBuilder::InitCreate(CM_part* part, FEATURE_RECORD* frec) {
  init_object(part, frec);
  PART_part* owner = ask_owning_part();
  // The builder owns what it makes, and it goes with the builder: a feature
  // keeps copies of the collector's entities, not the collector.
  OM::OM_set_pointer(this, m_dieTipAttId, SELECT_OBJECTFactory::Create(owner));
  OM::OM_set_pointer(this, m_shapeDetailAttId, SELECT_OBJECT_listFactory::Create(owner, false));
  if (frec != nullptr) {
    ConvertFrecToBuilderData(frec);
    return;
  }
  OM::OM_set_pointer(this, m_regionBoundsAttId, SC_collectorFactory::object(OM::OM_ask_object_tag(owner)));
  // Every new builder reads the defaults, not only the first after load.
  HoldRecord(NewRecord());
}

void DieEngFormTaskBuilder::HoldRecord(DIE_FRMTSK_s* record) {
  DIE_FRMTSK_s*& held = HeldRecords::Hold(this);
  if (held != nullptr && held != record) FreeRecord(held);
  held = record;
  SetFrmtskStruct(record);
}

DIE_FRMTSK_s* DieEngFormTaskBuilder::NewRecord() {
  DIE_FRMTSK_s* record = DIE_FRMTSK_alloc_appl_data(0, nullptr);
  if (record == nullptr) ERROR_raise(kSource, 72, Error::kNoMemory, "no memory for the form task");
  try {
    DIEENG_DEFAULTS_get(kDefaultsFirst, &record->defaults[0]);
    DIEENG_DEFAULTS_get(kDefaultsSecond, &record->defaults[1]);
  } catch (...) {
    DIE_FRMTSK_free_appl_data(record);
    throw;
  }
  return record;
}

void DieEngFormTaskBuilder::ConvertFrecToBuilderData(FEATURE_RECORD* frec) {
  if (!DIE_FRMTSK_is_a_frmtsk_frec(frec)) return;
  DIE_FRMTSK_s* record = NewRecord();
  HoldRecord(record);
  record->frec = frec;
  DIE_FRMTSK_read_parms(false, record);
  if (m_dieTip != nullptr) m_dieTip->set_selected_tag(record->dieTip);

  int count = 0;
  Stamvik::HostBlock<tag_t> tags;
  CMP_RT_ask_section_profile(1, &record->region, 0, &count, tags.out());
  // The feature's own collector stays the feature's: the builder works on a
  // copy it owns, which only a commit that succeeds writes into it
  // (HeldSelections.hpp); the record goes on naming the feature's own.
  if (auto* bounds = count > 0 ? dynamic_cast<SC_collector*>(OM::OM_object_of_tag(tags[0])) : nullptr;
      bounds != nullptr) {
    OM::OM_set_pointer(this, m_regionBoundsAttId,
                       Stamvik::CopyOfCollector(bounds, OM::OM_ask_object_tag(ask_owning_part())));
  } else {
    bounds = SC_collectorFactory::object(OM::OM_ask_object_tag(ask_owning_part()));
    OM::OM_set_pointer(this, m_regionBoundsAttId, bounds);
    tags.reset();
    CMP_RT_ask_rm_entities(&record->region, kBoundsKind, false, &count, tags.out());
    if (count > 0) DIE_PRCTSK_ReplaceEntsInCollector(bounds, count, tags.get());
  }
  tags.reset();

  CMP_RT_ask_rm_entities(&record->region, kShapeKind, false, &count, tags.out());
  if (count > 0 && m_shapeDetail != nullptr) m_shapeDetail->set_tags(count, tags.get());
  tags.reset();

  SetPointInRegion(record->pointInRegion);
  SetCamDirection(record->camDirection);
  SetNumDetails(record->detailCount);
  for (int i = 0; i < record->detailCount; ++i) SetNthValueInDetails(i, UString(record->details[i]));
  SetFinishOperation(record->finishOperation != 0);
}

void DieEngFormTaskBuilder::AskApplicationData(DIE_FRMTSK_s* record) {
  record->frec = get_frec();
  record->finishOperation = m_finishOperation ? 1 : 0;
  record->region.type = kRegionType;
  const tag_t bounds = OM::OM_ask_object_tag(m_regionBounds);
  if (!m_finishOperation) {
    int count = 0;
    Stamvik::HostBlock<tag_t> objects;
    if (m_shapeDetail != nullptr) m_shapeDetail->ask_tags(&count, objects.out());
    if (count > 0 && isBody(objects[0])) {
      Stamvik::HostBlock<tag_t> bodies(newArray<tag_t>(count));
      for (int i = 0; i < count; ++i) bodies[i] = DIE_FRMTSK__get_tag_of_sel(objects[i]);
      clearBodies(record);
      record->shapeDetailBodies = bodies.release();
      record->shapeDetailCount = count;
    } else if (count > 0) {
      // Details that are no bodies shape the region instead.
      if (m_regionBounds != nullptr) {
        DIE_PRCTSK_ReplaceEntsInCollector(m_regionBounds, count, objects.get());
        CMP_RT_replace_rm_entities(&record->region, kShapeKind, 1, bounds, record->frec);
      }
      clearBodies(record);
    }
  } else {
    if (m_regionBounds != nullptr) CMP_RT_replace_rm_entities(&record->region, kBoundsKind, 1, bounds, record->frec);
    clearBodies(record);
  }
  record->srfc[0] = srfc1[0];
  record->srfc[1] = srfc1[1];
  record->afterFinish = 0;
  record->dieTip = m_dieTip != nullptr ? m_dieTip->ask_selected_tag() : 0;
  record->pointInRegion = m_pointInRegion;
  record->camDirection = m_camDirection;
  clearDetails(record);
  const int lines = GetNumDetails();
  if (lines > 0) record->details = newArray<char*>(lines);
  for (int i = 0; i < lines; ++i)
    record->details[record->detailCount++] = SM_string_copy(m_details->At(i).c_str());
}

void DieEngFormTaskBuilder::FreeApplicationData(DIE_FRMTSK_s* record) {
  if (record == nullptr) return;
  if (record->detailCount != 0) clearDetails(record);
  if (record->shapeDetailCount != 0) clearBodies(record);
  CMP_RT_free(&record->region);
  SM_free(record->region.scratch);
  record->region.scratch = nullptr;
  if (record->surfaceLaw != nullptr) LAW_SURF_free_law(record->surfaceLaw);
  record->surfaceLaw = nullptr;
}

int DieEngFormTaskBuilder::commit_feature(FEATURE_RECORD** frec) {
  // In its turn with the other builders alive on the feature (CommitPath.hpp).
  return Stamvik::CommitInTurn(this, [&]() -> int {
    // The task's record is held beside the builder, where no undo reaches:
    // a commit that does not go through gives it back the feature it named.
    DIE_FRMTSK_s* const record = m_frmtskStruct;
    FEATURE_RECORD* const named = record != nullptr ? record->frec : nullptr;
    const auto giveBack = [&] {
      if (record != nullptr) record->frec = named;
    };
    int status = 0;
    try {
      status = Stamvik::CommitFeature(frec, kCommitMark, kSource, 96, [&] { return CommitTask(frec); });
    } catch (...) {
      giveBack();
      throw;
    }
    if (status != 0) giveBack();
    return status;
  });
}

int DieEngFormTaskBuilder::CommitTask(FEATURE_RECORD** frec) {
  FEATURE_RECORD* edited = get_frec();
  if (edited == nullptr) *frec = nullptr;
  int status = 0;
  try {
    DIE_FRMTSK_s* record = m_frmtskStruct;
    // A builder opened on a feature of another kind has nothing to commit.
    if (record == nullptr) ERROR_raise(kSource, 80, kNoDatabaseParms, "Feature is not a Form Task.");
    AskApplicationData(record);
    SetFrmtskStruct(record);
    if (edited == nullptr) {
      record->srfc[0] = srfc1[0];
      record->srfc[1] = srfc1[1];
      status = DIEENG_create_frec(DIE_FRMTSK_PARMSClassId, record, 0, &record->frec);
      if (status != 0) record->frec = nullptr;
      *frec = record->frec;
      // Kept open and committed again, the builder edits the task it made.
      if (record->frec != nullptr) set_frec(record->frec);
    } else {
      DIE_FRMTSK_s* stored = DIE_FRMTSK_alloc_appl_data(0, nullptr);
      if (stored == nullptr) ERROR_raise(kSource, 189, Error::kNoMemory, "no memory for the form task");
      stored->frec = record->frec;
      DIE_FRMTSK_read_parms(false, stored);
      const bool dieTipChanged = stored->dieTip != record->dieTip;
      DIE_FRMTSK_free_appl_data(stored);
      status = DIEENG_update_frec(*frec, record);
      if (status == 0) {
        // The feature's own region collector takes what the builder's copy holds.
        if (auto* own = record->region.sectionProfile == 0
                            ? nullptr
                            : dynamic_cast<SC_collector*>(OM::OM_object_of_tag(record->region.sectionProfile));
            own != nullptr && own != m_regionBounds)
          Stamvik::WriteContents(own, m_regionBounds);
        UPDATE_log_object_to_update(*frec);
        // The die tip moves the whole task: the model is brought up to date now.
        if (dieTipChanged) UPDATE_do_update();
      }
    }
  } catch (const std::exception& e) {
    status = Error::HandleAsBuilder(e, kSource, edited == nullptr ? 96 : 134);
  }
  return status;
}

char* DieEngFormTaskBuilder::ask_journal_class_name() const { return SM_string_copy("Tooling.DieEngFormTaskBuilder"); }

void DieEngFormTaskBuilder::SetRegionBounds(SC_collector* bounds) {
  OM::SetReferencedObject(this, m_regionBoundsAttId, bounds);
}
void DieEngFormTaskBuilder::SetPointInRegion(tag_t point) {
  OM::SetReferencedObject(this, m_pointInRegionAttId, point);
}
void DieEngFormTaskBuilder::SetCamDirection(tag_t direction) {
  OM::SetReferencedObject(this, m_camDirectionAttId, direction);
}
void DieEngFormTaskBuilder::SetFinishOperation(bool finish) {
  OM::LogForWrite(this);
  m_finishOperation = finish;
}
void DieEngFormTaskBuilder::SetFrmtskStruct(DIE_FRMTSK_s* record) {
  OM::LogForWrite(this);
  m_frmtskStruct = record;
}

int DieEngFormTaskBuilder::GetNumDetails() const { return m_details == nullptr ? 0 : m_details->Length(); }

void DieEngFormTaskBuilder::SetNumDetails(int count) { OM::OM_vset_array_length(this, m_detailsAttId, count, 0); }

UString DieEngFormTaskBuilder::GetNthValueInDetails(int n) const {
  if (m_details == nullptr) return UString();
  return UString(m_details->At(n));
}

void DieEngFormTaskBuilder::SetNthValueInDetails(int n, const UString& line) {
  const int count = GetNumDetails();
  if (static_cast<unsigned>(n) > static_cast<unsigned>(count)) OM::ThrowIndexOutOfRange(n, 0, -1);
  if (n == count) SetNumDetails(count + 1);
  m_details->Set(n, line.utf8());
}

}  // namespace KTX::Tooling
