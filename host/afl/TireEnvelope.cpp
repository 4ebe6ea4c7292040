#include "afl/TireEnvelope.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "afl/Parms.hpp"
#include "afl/TireGeometry.hpp"
#include "geom/Geometry.hpp"
#include "om/HostClass.hpp"
#include "om/LogTags.hpp"
#include "sys/CallLog.hpp"
#include "sys/Error.hpp"
#include "sys/Files.hpp"
#include "sys/Memory.hpp"
#include "vd/VehicleDesign.hpp"
#include "sys/Replace.hpp"

namespace KTX {

// The tire envelope's parameters: the block itself is kept beside them. Their
// class name makes the feature a "Features.TireEnvelope" to scripts.
class TIREENV_PARMS : public FEATURE_PARMS {
  KTX_HOST_OBJECT(TIREENV_PARMS, "KTX::VD::TireEnvelope")

 protected:
  TIREENV_PARMS(int classId, void* context) : FEATURE_PARMS(classId, context) {}
};

int TIREENV_PARMS::ThisClassId = 0;
int TireEnvelopeClassId = 0;

namespace {

struct Classes {
  Classes() {
    Host::RegisterHostClass<TIREENV_PARMS>(FEATURE_PARMS::OmClassName);
    TireEnvelopeClassId = TIREENV_PARMS::ThisClassId;
  }
} classes;

using Allocate = void* (*)(std::size_t);
using Release = void (*)(void*);
void* HostAllocate(std::size_t size) { return SM_alloc(size); }
void HostRelease(void* block) { SM_free(block); }
void* PlainAllocate(std::size_t size) { return std::malloc(size); }
void PlainRelease(void* block) { std::free(block); }

template <class T>
T* CopyArray(const T* from, std::int32_t count, Allocate allocate) {
  if (from == nullptr || count <= 0) return nullptr;
  auto* to = static_cast<T*>(allocate(sizeof(T) * static_cast<std::size_t>(count)));
  std::memcpy(to, from, sizeof(T) * static_cast<std::size_t>(count));
  return to;
}
char** CopyTexts(char* const* from, std::int32_t count, Allocate allocate) {
  if (from == nullptr || count <= 0) return nullptr;
  auto** to = static_cast<char**>(allocate(sizeof(char*) * static_cast<std::size_t>(count)));
  for (std::int32_t i = 0; i < count; ++i) {
    const char* text = from[i] != nullptr ? from[i] : "";
    to[i] = static_cast<char*>(allocate(std::strlen(text) + 1));
    std::memcpy(to[i], text, std::strlen(text) + 1);
  }
  return to;
}
void FreeTexts(char** texts, std::int32_t count, Release release) {
  if (texts == nullptr) return;
  for (std::int32_t i = 0; i < count; ++i) release(texts[i]);
  release(texts);
}

// Every array of the block with the count that goes with it.
template <class Visit>
void ForEachArray(Tireenv_params_s& b, Visit visit) {
  visit(b.tireBodies, b.tireBodyCount);
  visit(b.profileCurves, b.profileCurveCount);
  visit(b.spindleLines, b.spindleLineCount);
  visit(b.leftBars, b.leftBarCount);
  visit(b.rightBars, b.rightBarCount);
  visit(b.compOffsets, b.compOffsetCount);
}
template <class Visit>
void ForEachTexts(Tireenv_params_s& b, Visit visit) {
  visit(b.sessionNotes, b.sessionNoteCount);
  visit(b.motionLines, b.motionLineCount);
  visit(b.jointLines, b.jointLineCount);
  visit(b.clearanceBodies, b.clearanceBodyCount);
  visit(b.clearanceComponents, b.clearanceComponentCount);
}

Tireenv_params_s* Copy(const Tireenv_params_s& from, Allocate allocate) {
  auto* to = static_cast<Tireenv_params_s*>(allocate(sizeof(Tireenv_params_s)));
  std::memcpy(static_cast<void*>(to), &from, sizeof from);
  ForEachArray(*to, [&](auto*& array, std::int32_t count) { array = CopyArray(array, count, allocate); });
  ForEachTexts(*to, [&](char**& texts, std::int32_t count) { texts = CopyTexts(texts, count, allocate); });
  to->driverPoints = CopyArray(from.driverPoints, from.driverPointCount > 0 ? 2 * from.driverPointCount : 0, allocate);
  return to;
}

void Free(Tireenv_params_s* block, Release release) {
  if (block == nullptr) return;
  ForEachArray(*block, [&](auto*& array, std::int32_t) { release(array); });
  ForEachTexts(*block, [&](char**& texts, std::int32_t count) { FreeTexts(texts, count, release); });
  release(block->driverPoints);
  release(block);
}

struct PlainBlockFree {
  void operator()(Tireenv_params_s* block) const { Free(block, PlainRelease); }
};
using StoredBlock = std::unique_ptr<Tireenv_params_s, PlainBlockFree>;

// What each feature keeps, by its parameters' tag. The host's own store,
// beside the object manager: an entry of parameters no longer alive is
// never read and goes at the next store.
std::map<tag_t, StoredBlock>& stored() {
  static auto* blocks = new std::map<tag_t, StoredBlock>;
  return *blocks;
}

// What a feature keeps is part of the model an undo puts back: an update
// taken back by its mark takes its block back with it. Each store is kept
// with the block it replaced (none for a first), newest last, with where
// each mark's stores begin.
class StoredUndo final : public OM::UndoStore {
 public:
  struct Replaced {
    tag_t parms;
    StoredBlock was;
  };
  bool Recording() const { return OM::OM_undo_recording(); }
  void Log(tag_t parms, StoredBlock was) { log_.push_back({parms, std::move(was)}); }
  void MarkSet() override { starts_.push_back(log_.size()); }
  void UndoneTo(std::size_t index) override {
    if (index >= starts_.size()) return;
    while (log_.size() > starts_[index]) {
      Replaced& last = log_.back();
      if (last.was != nullptr) stored()[last.parms] = std::move(last.was);
      else stored().erase(last.parms);
      log_.pop_back();
    }
    starts_.resize(index + 1);
  }
  void MarkDeleted(std::size_t index) override { OM::OM_drop_undo_mark(starts_, log_, index); }

 private:
  std::vector<Replaced> log_;
  std::vector<std::size_t> starts_;
};
StoredUndo& storedUndo() {
  static auto* undo = [] {
    auto* made = new StoredUndo;
    OM::OM_add_undo_store(made);
    return made;
  }();
  return *undo;
}

const Tireenv_params_s* StoredOf(const FEATURE_RECORD* frec) {
  FEATURE_PARMS* parms = frec != nullptr ? frec->ask_parms() : nullptr;
  if (parms == nullptr || parms->OmClassId() != TireEnvelopeClassId) return nullptr;
  auto it = stored().find(parms->OmTag());
  return it != stored().end() ? it->second.get() : nullptr;
}

// The expressions a block refers to.
void heldBy(const Tireenv_params_s& block, const EXP_expression* (&held)[6]) {
  const EXP_expression* all[6] = {block.radialStartAngle,  block.radialEndAngle,    block.wheelRimDiameter,
                                  block.wheelCenterlineShift, block.distanceTolerance, block.trimRadius};
  std::copy(std::begin(all), std::end(all), held);
}

void Store(FEATURE_PARMS* parms, const Tireenv_params_s& block) {
  std::erase_if(stored(), [](const auto& entry) { return OM::OM_object_of_tag(entry.first) == nullptr; });
  StoredBlock& kept = stored()[parms->OmTag()];
  StoredBlock was = std::move(kept);
  kept = StoredBlock(Copy(block, PlainAllocate));
  if (StoredUndo& undo = storedUndo(); undo.Recording()) undo.Log(parms->OmTag(), std::move(was));
  const EXP_expression* held[6];
  heldBy(*kept, held);
  for (const EXP_expression* e : held) OM::OM_note_holder(OM::OM_ask_object_tag(e), parms->OmTag());
}

// A feature's block refers to the expressions of the builder that committed
// it: they stay while the feature's parameters do. The parameters note them
// as held when the block is stored: the check reads only the object's own
// holders.
bool HeldByAFeature(const OM::Object* object) {
  const std::vector<tag_t>* holders = OM::OM_ask_holders(OM::OM_ask_object_tag(object));
  if (holders == nullptr) return false;
  for (tag_t parms : *holders) {
    auto block = stored().find(parms);
    if (block == stored().end() || OM::OM_object_of_tag(parms) == nullptr) continue;
    const EXP_expression* held[6];
    heldBy(*block->second, held);
    for (const EXP_expression* e : held)
      if (e != nullptr && static_cast<const OM::Object*>(e) == object) return true;
  }
  return false;
}
struct KeepHeldExpressions {
  KeepHeldExpressions() { OM::OM_set_keep_alive_check(&HeldByAFeature); }
} keepHeldExpressions;

struct Records {
  std::vector<TireEnvelope::Extraction> extractions;
  int fits = 0;
};
Records& records() {
  static auto* r = new Records;
  return *r;
}


}  // namespace

void TireEnvelope_AllocApplData(Tireenv_params_s** block, FEATURE_RECORD* frec) {
  Host::Log("TireEnvelope_AllocApplData", Host::TagNumber(frec));
  auto* made = static_cast<Tireenv_params_s*>(SM_alloc(sizeof(Tireenv_params_s)));
  std::memset(static_cast<void*>(made), kTireenvSentinel, sizeof(Tireenv_params_s));
  made->radialStartAngle = made->radialEndAngle = made->wheelRimDiameter = made->wheelCenterlineShift = nullptr;
  made->distanceTolerance = made->trimRadius = nullptr;
  ForEachArray(*made, [](auto*& array, std::int32_t) { array = nullptr; });
  ForEachTexts(*made, [](char**& texts, std::int32_t) { texts = nullptr; });
  made->driverPoints = nullptr;
  *block = made;
}

void TireEnvelope_FreeApplData(Tireenv_params_s** block) {
  Host::Log("TireEnvelope_FreeApplData");
  if (block == nullptr) return;
  Free(*block, HostRelease);
  *block = nullptr;
}

Tireenv_params_s* TireEnvelope_ReadParms(const FEATURE_RECORD* frec) {
  Host::Log("TireEnvelope_ReadParms", Host::TagNumber(frec));
  const Tireenv_params_s* kept = StoredOf(frec);
  return kept != nullptr ? Copy(*kept, HostAllocate) : nullptr;
}

int TireEnvelope_Is(const FEATURE_RECORD* frec) {
  const Tireenv_params_s* kept = StoredOf(frec);
  if (kept == nullptr) return 0;
  return kept->tireBody == 1 ? 2 : 1;
}

int TireEnvelope_ChangeOutputAttributes(FEATURE_RECORD* frec, const Tireenv_params_s*) {
  Host::Log("TireEnvelope_ChangeOutputAttributes", Host::TagNumber(frec));
  return 0;
}

int DIEENG_create_frec(int classId, Tireenv_params_s* block, int option, FEATURE_RECORD** frec) {
  Host::Log("DIEENG_create_frec", std::to_string(classId == TireEnvelopeClassId ? 1 : 0) + " " +
                                      std::to_string(option));
  if (block == nullptr || frec == nullptr) return Parms::kNoParms;
  if (long long code = Host::Answer("DIEENG_create_frec", 0); code != 0) return static_cast<int>(code);
  // The feature's solid (the tire body or its envelope); a point at the
  // vehicle origin stands for it when there is no geometry to make. A solid
  // the modeller cannot make whole makes no feature.
  auto* parms = Host::CreateInPart<TIREENV_PARMS>(nullptr);
  FEATURE_RECORD* made = FEATURE_RECORD::Create(nullptr, parms);
  parms->SetFeatureRecord(made);
  int failed = 0;
  const tag_t solid = TireGeometry::MakeBody(*block, &failed);
  if (failed != 0) {
    made->destroy();
    parms->destroy();
    return failed;
  }
  made->set_body_eid(solid != 0 ? solid : ES_create_point(block->origin));
  Store(parms, *block);
  *frec = made;
  return 0;
}

int DIEENG_update_frec(FEATURE_RECORD* frec, Tireenv_params_s* block) {
  Host::Log("DIEENG_update_frec", Host::TagNumber(frec));
  if (long long code = Host::Answer("DIEENG_update_frec", 0); code != 0) return static_cast<int>(code);
  if (StoredOf(frec) == nullptr || block == nullptr) return Parms::kNoParms;
  int failed = 0;
  const tag_t solid = TireGeometry::MakeBody(*block, &failed);
  if (failed != 0) return failed;
  Store(frec->ask_parms(), *block);
  if (solid != 0) {
    const tag_t old = frec->ask_body_eid();
    frec->set_body_eid(solid);
    if (auto* was = dynamic_cast<OM::TaggedObject*>(OM::OM_object_of_tag(old))) was->destroy();
  }
  return 0;
}

void VD_create_extractions(FEATURE_RECORD* frec, int count, const tag_t* tags) {
  Host::Log("VD_create_extractions", Host::TagNumber(frec) + " " + std::to_string(count));
  records().extractions.push_back(
      {OM::OM_ask_object_tag(frec), tags != nullptr && count > 0 ? std::vector<tag_t>(tags, tags + count)
                                                                 : std::vector<tag_t>{}});
}

void VD_VIEW_fit_view(double) {
  Host::Log("VD_VIEW_fit_view");
  ++records().fits;
}

const char* TEXT_to_locale(const TEXT_s* text) { return text != nullptr ? TEXT_ask_utf8(text) : ""; }

tag_t VD_ASSEM_ask_part_occ_of_inst(tag_t, tag_t instance) {
  return instance != 0 && OM::OM_object_of_tag(instance) != nullptr ? instance : 0;
}

void TIREENV_put_tire_points_in_order(Tire_s* area) {
  Host::Log("TIREENV_put_tire_points_in_order");
  const int count = std::clamp(area->profilePointCount, 0, Tire_s::kMaxProfilePoints);
  std::vector<std::array<double, 3>> points(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) std::copy_n(area->profilePoints[i], 3, points[static_cast<std::size_t>(i)].begin());
  // The profile runs along the section: sorting its points would cross a
  // section that turns back on itself (a closed loop), so the order is kept,
  // only turned round when it runs against the axis.
  if (count > 1 && points.front() > points.back()) std::reverse(points.begin(), points.end());
  for (int i = 0; i < count; ++i) std::copy_n(points[static_cast<std::size_t>(i)].begin(), 3, area->profilePoints[i]);
}

int TIREENV_read_data_file_into_strings(const char* fileName, int* count, char*** lines) {
  Host::Log("TIREENV_read_data_file_into_strings", fileName != nullptr ? fileName : "");
  std::vector<std::string> fileLines;
  std::string why;
  if (Files::ReadLines(fileName, std::size_t{64} << 20, &fileLines, &why) != 0)
    return VD::NoteFileLine(fileName, 0, why.c_str(), -1);
  std::vector<std::string> read;
  for (std::string& line : fileLines) {
    // A line handed on as a text would lose all after a null byte.
    if (line.find('\0') != std::string::npos)
      return VD::NoteFileLine(fileName, static_cast<int>(read.size()) + 1, "not a line of text", -2);
    read.push_back(std::move(line));
  }
  *count = static_cast<int>(read.size());
  *lines = read.empty() ? nullptr : static_cast<char**>(SM_alloc(read.size() * sizeof(char*)));
  for (std::size_t i = 0; i < read.size(); ++i) (*lines)[i] = SM_string_copy(read[i].c_str());
  return 0;
}

int TIREENV_write_strings_into_data_file(int count, char* const* lines, char fileName[257]) {
  Host::Log("TIREENV_write_strings_into_data_file", std::to_string(count));
  static int made = 0;
  const char* directory = Files::Variable("QDEN_TMP_DIR");
  std::string dir = directory != nullptr ? directory : "/tmp";
  if (dir.back() != '/') dir += '/';
  const std::string name = dir + "tireenv_data_" + std::to_string(++made) + ".txt";
  if (name.size() >= 257) return -1;
  // Written whole or not at all, as every file the host writes.
  std::FILE* out = Files::OpenReplacing(name, "w");
  if (out == nullptr) {
    Files::ShowNotWritten(name, errno);
    return -1;
  }
  for (int i = 0; i < count && lines != nullptr; ++i) {
    std::fputs(lines[i] != nullptr ? lines[i] : "", out);
    std::fputc('\n', out);
  }
  if (Files::CloseReplacing(out) != 0) {
    Files::ShowNotWritten(name, errno);
    return -1;
  }
  std::memcpy(fileName, name.c_str(), name.size() + 1);
  return 0;
}

tag_t VD_get_tag_handle_in_work_part(const char* handle) {
  const tag_t tag = OM::TAG_find_by_handle(handle);
  return tag != 0 && PART_ask_part_of_object(tag) == CONTEXT_ask_work_part() ? tag : 0;
}


void TIREENV_remove_tire_body_dataset(tag_t part) {
  Host::Log("TIREENV_remove_tire_body_dataset", std::to_string(part));
}

int TIREENV_find_profile_sketchs(PART_part* part, int* count, char*** names) {
  Host::Log("TIREENV_find_profile_sketchs", part != nullptr ? std::to_string(part->OmTag()) : "0");
  *count = 0;
  *names = nullptr;
  if (part == nullptr) return Parms::kNoParms;
  const int n = static_cast<int>(std::clamp<long long>(Host::Answer("TIREENV_find_profile_sketchs", 1), 0, 100));
  if (n == 0) return 0;
  *names = static_cast<char**>(SM_alloc(static_cast<std::size_t>(n) * sizeof(char*)));
  for (int i = 0; i < n; ++i) (*names)[i] = SM_string_copy(("PROFILE_SKETCH_" + std::to_string(i)).c_str());
  *count = n;
  return 0;
}

void VD_convert_char_toupper(char* text) {
  for (; text != nullptr && *text != '\0'; ++text)
    if (*text >= 'a' && *text <= 'z') *text = static_cast<char>(*text - 'a' + 'A');
}

namespace TireEnvelope {
const std::vector<Extraction>& Extractions() { return records().extractions; }
int ViewFits() { return records().fits; }
void ClearRecords() { records() = Records{}; }
}  // namespace TireEnvelope

}  // namespace KTX
