#include "kernel/Kernel.hpp"

#include <chrono>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <ostream>
#include <optional>
#include <set>
#include <unordered_set>
#include <variant>

#include "kernel/Modeller.hpp"
#include "kernel/Solids.hpp"
#include "om/ObjectManager.hpp"
#include "sys/CallLog.hpp"
#include "sys/Failure.hpp"
#include "sys/Memory.hpp"
#include "sys/Replace.hpp"

namespace KTX::Kernel {
namespace {

struct Entity {
  bool body = true;   // otherwise a face
  bool alive = true;
  int type = ZV_BODY_type_solid_c;
  int owner = 0;      // a face's body
  int copiedFrom = 0;
  int partition = 0;  // the undo partition the entity lives in
  std::vector<int> faces;
  ShapeRef shape;  // a body's geometry; null for a body made without it
  // Tools gathered for one boolean onto the shape and not yet applied (see
  // GatheredBooleans): every read of the shape applies them first.
  std::vector<ShapeRef> pending;
  Shapes::Operation pendingOperation = Shapes::Operation::Unite;
  // Dead already when the entities were last swept: the next sweep drops it.
  bool deadAtSweep = false;
};

// Adds the time of its scope to the modeller's total; a scope within
// another adds nothing of its own.
struct GeometryClock {
  static double& total() {
    static double seconds = 0;
    return seconds;
  }
  static int& depth() {
    static int open = 0;
    return open;
  }
  std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
  GeometryClock() { ++depth(); }
  ~GeometryClock() {
    if (--depth() == 0) total() += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  GeometryClock(const GeometryClock&) = delete;
  GeometryClock& operator=(const GeometryClock&) = delete;
};

// The longest one long call of the modeller may run: KTX_KERNEL_SECONDS
// when it is a number of at least 0, otherwise 300, unless
// SetGeometryLimit chose one.
constexpr double kDefaultLimitSeconds = 300;

double limitFromEnvironment() {
  const char* text = std::getenv("KTX_KERNEL_SECONDS");
  if (text == nullptr || *text == '\0') return kDefaultLimitSeconds;
  char* end = nullptr;
  errno = 0;
  const double seconds = std::strtod(text, &end);
  if (errno != 0 || *end != '\0' || !std::isfinite(seconds) || seconds < 0) return kDefaultLimitSeconds;
  return seconds;
}

double& chosenLimit() {
  static double seconds = -1;
  return seconds;
}

double limitSeconds() {
  if (chosenLimit() >= 0) return chosenLimit();
  static const double environment = limitFromEnvironment();
  return environment;
}

// The call log's note of a call the time limit broke off.
void logStopped(const char* call, int body) {
  KTX::Host::Log(call, "body=" + std::to_string(body) + " stopped: the modeller ran past the limit of " +
                           RealText(limitSeconds()) + " s");
}

// How many GatheredBooleans scopes are open.
int& gathering() {
  static int open = 0;
  return open;
}

// The kernel's part of undo: what each change overwrote, newest last, and
// where each undo mark's changes begin. Tags are not taken back: like the
// object manager's, they are never reused. A body stripped of host data
// (a builder's temporary sheet) is the kernel's alone: no undo touches it or
// its faces from then on.
class Undo final : public OM::UndoStore {
 public:
  struct EntityWas {
    int tag;
    std::optional<Entity> entity;  // none: made since
  };
  struct BodyOfWas {
    tag_t object;
    std::optional<int> body;
  };
  struct ObjectOfWas {
    int entity;
    std::optional<tag_t> object;
  };

  bool Recording() const { return !reverting_ && OM::OM_undo_recording(); }
  void Log(std::variant<EntityWas, BodyOfWas, ObjectOfWas> change) { log_.push_back(std::move(change)); }
  bool Stripped(int body) const { return stripped_.contains(body); }
  // Whether this is the first change of the thing (a kind and a tag) under
  // the newest mark: undo puts a mark's changes back whole, so only the first
  // needs what it overwrote (a body given its faces one by one is logged once).
  bool First(int kind, std::uint32_t tag) {
    return changedUnderTop_.insert(static_cast<std::uint64_t>(kind) << 32 | tag).second;
  }
  // Takes the body and its faces out of undo, what was logged of them too.
  void Strip(int body);
  // A stripped body that is dead and dropped: nothing asks of it again.
  void Unstrip(int body) { stripped_.erase(body); }

  void MarkSet() override {
    starts_.push_back(log_.size());
    ForgetChanged();
  }
  void UndoneTo(std::size_t index) override;
  void MarkDeleted(std::size_t index) override;

 private:
  std::vector<std::variant<EntityWas, BodyOfWas, ObjectOfWas>> log_;
  std::vector<std::size_t> starts_;
  std::set<int> stripped_;
  // Under the newest mark; after a merge into it, what the merged mark knew
  // is forgotten, which only logs a thing twice.
  std::unordered_set<std::uint64_t> changedUnderTop_;
  // Clearing walks every bucket: after a mark that changed much, the table is
  // given up instead, so that the marks after it cost what they change.
  void ForgetChanged() {
    if (changedUnderTop_.bucket_count() > 64)
      changedUnderTop_ = {};
    else if (!changedUnderTop_.empty())
      changedUnderTop_.clear();
  }
  bool reverting_ = false;
};

// Kernel tags start far above the object manager's so that a host tag
// passed for a kernel body is seen as unknown.
constexpr int kFirstKernelTag = 70001;

struct State {
  int nextTag = kFirstKernelTag;
  std::map<int, Entity> entities;
  // How many entities the last sweep left, and how many of them were alive:
  // the next sweep comes once as many more as were alive (and some) are made.
  std::size_t afterSweep = 0;
  std::size_t aliveAtSweep = 0;
  std::map<tag_t, int> modelBodies;
  std::map<int, tag_t> modelObjects;  // the same attachments, by kernel entity
  int liveBodies = 0;
  int deleteErrors = 0;
  std::vector<std::string> errors;
  double linearPrecision = 1.0e-8;
  double angularPrecision = 1.0e-11;
  ScaleFactorRecord scale{{0.001, 1000.0}};
  // Undo partitions: the session starts with partition 1 current; new
  // entities are made in the current one.
  int partitions = 1;
  int currentPartition = 1;
  Undo undo;
};

State& state() {
  static State* s = [] {
    auto* made = new State;
    OM::OM_add_undo_store(&made->undo);
    return made;
  }();
  return *s;
}

// Before an entity changes (or, for one not yet made, before it is made).
void saveEntity(int tag, int owner = 0) {
  Undo& undo = state().undo;
  if (!undo.Recording()) return;
  auto it = state().entities.find(tag);
  if (it != state().entities.end()) owner = it->second.body ? tag : it->second.owner;
  if (undo.Stripped(owner) || !undo.First(0, static_cast<std::uint32_t>(tag))) return;
  undo.Log(Undo::EntityWas{tag, it == state().entities.end() ? std::nullopt : std::optional<Entity>(it->second)});
}

void setBodyOf(tag_t object, std::optional<int> body) {
  auto& map = state().modelBodies;
  auto it = map.find(object);
  if (state().undo.Recording() && state().undo.First(1, object))
    state().undo.Log(Undo::BodyOfWas{object, it == map.end() ? std::nullopt : std::optional<int>(it->second)});
  if (body.has_value())
    map[object] = *body;
  else if (it != map.end())
    map.erase(it);
}

void setObjectOf(int entity, std::optional<tag_t> object) {
  auto& map = state().modelObjects;
  auto it = map.find(entity);
  if (state().undo.Recording() && state().undo.First(2, static_cast<std::uint32_t>(entity)))
    state().undo.Log(Undo::ObjectOfWas{entity, it == map.end() ? std::nullopt : std::optional<tag_t>(it->second)});
  if (object.has_value())
    map[entity] = *object;
  else if (it != map.end())
    map.erase(it);
}

void Undo::UndoneTo(std::size_t index) {
  if (index >= starts_.size()) return;
  reverting_ = true;
  State& s = state();
  while (log_.size() > starts_[index]) {
    std::visit(
        [&](auto& was) {
          using T = std::decay_t<decltype(was)>;
          if constexpr (std::is_same_v<T, EntityWas>) {
            auto liveBody = [](const Entity* e) { return e != nullptr && e->body && e->alive ? 1 : 0; };
            auto now = s.entities.find(was.tag);
            s.liveBodies += liveBody(was.entity ? &*was.entity : nullptr) -
                            liveBody(now == s.entities.end() ? nullptr : &now->second);
            if (was.entity.has_value())
              s.entities.insert_or_assign(was.tag, std::move(*was.entity));
            else
              s.entities.erase(was.tag);
          } else if constexpr (std::is_same_v<T, BodyOfWas>) {
            setBodyOf(was.object, was.body);
          } else {
            setObjectOf(was.entity, was.object);
          }
        },
        log_.back());
    log_.pop_back();
  }
  starts_.resize(index + 1);
  ForgetChanged();
  reverting_ = false;
}

void Undo::Strip(int body) {
  stripped_.insert(body);
  const auto& entities = state().entities;
  auto ofBody = [&](const auto& change) {
    const auto* was = std::get_if<EntityWas>(&change);
    if (was == nullptr) return false;
    if (was->tag == body) return true;
    // A face's body is in what was kept of it: the face itself may be swept.
    if (was->entity.has_value()) return !was->entity->body && was->entity->owner == body;
    auto it = entities.find(was->tag);
    return it != entities.end() && !it->second.body && it->second.owner == body;
  };
  std::size_t kept = 0;
  std::vector<std::size_t> starts = starts_;
  for (std::size_t i = 0, mark = 0; i < log_.size(); ++i) {
    while (mark < starts_.size() && starts_[mark] == i) starts[mark++] = kept;
    if (!ofBody(log_[i])) log_[kept++] = std::move(log_[i]);
  }
  for (std::size_t& start : starts) start = std::min(start, kept);
  log_.resize(kept);
  starts_ = std::move(starts);
}

void Undo::MarkDeleted(std::size_t index) { OM::OM_drop_undo_mark(starts_, log_, index); }

Entity* live(int tag) {
  auto it = state().entities.find(tag);
  return it == state().entities.end() || !it->second.alive ? nullptr : &it->second;
}

Entity* liveBody(int tag) {
  Entity* e = live(tag);
  return e != nullptr && e->body ? e : nullptr;
}

bool heldByModel(int body) {
  for (const auto& [object, held] : state().modelBodies) {
    if (held == body) return true;
  }
  return false;
}

void recordError(const std::string& text) {
  state().errors.push_back(text);
  Host::Log("KERNEL_error", text);
}

// A dead entity is kept for what is asked of it after its death (what it
// was copied from, its partition) while its tag stays known as dead, but not
// for ever: once as many entities as were alive at the last sweep (and some)
// are made since, those that were dead already at that sweep go. The table
// holds at most about three times what lives, and the floor; a sweep costs
// what it holds, paid for by the entities made between two sweeps. Tags are
// handed out in a row, so a tag below the next one that is not there is one
// that died. What an undo can bring back is in the undo log, whole, and
// comes back from there.
constexpr std::size_t kSweepFloor = 4096;

void sweepDead() {
  State& s = state();
  s.aliveAtSweep = 0;
  for (auto it = s.entities.begin(); it != s.entities.end();) {
    Entity& e = it->second;
    if (e.alive) {
      ++s.aliveAtSweep;
      ++it;
    } else if (e.deadAtSweep) {
      if (e.body) s.undo.Unstrip(it->first);
      it = s.entities.erase(it);
    } else {
      e.deadAtSweep = true;
      ++it;
    }
  }
  s.afterSweep = s.entities.size();
}

bool madeAndGone(int tag) { return tag >= kFirstKernelTag && tag < state().nextTag; }

int newEntity(Entity e) {
  if (state().entities.size() >= state().afterSweep + std::max(kSweepFloor, state().aliveAtSweep)) sweepDead();
  int tag = state().nextTag++;
  saveEntity(tag, e.body ? 0 : e.owner);
  e.partition = state().currentPartition;
  if (e.body) ++state().liveBodies;
  state().entities.emplace(tag, std::move(e));
  return tag;
}

// Kills a live body and its faces without any check.
void kill(int body) {
  for (int face : state().entities.at(body).faces) saveEntity(face);
  saveEntity(body);
  Entity& e = state().entities.at(body);
  for (int face : e.faces) state().entities.at(face).alive = false;
  e.alive = false;
  e.shape.reset();
  e.pending.clear();
  --state().liveBodies;
}

// Gives a live body new geometry; its faces are the geometry's faces from
// then on (new face tags: a face of the old shape is no face of the new).
void setShape(int body, const ShapeRef& shape) {
  for (int face : state().entities.at(body).faces) saveEntity(face);
  saveEntity(body);
  std::vector<int> old = std::move(state().entities.at(body).faces);
  for (int face : old) state().entities.at(face).alive = false;
  state().entities.at(body).faces.clear();
  state().entities.at(body).shape = shape;
  for (int i = shape == nullptr ? 0 : LoadedModeller().FaceCount(shape); i > 0; --i) AddFace(body);
}

// Applies the tools gathered on a live body, all in one boolean. When the
// modeller cannot take them together, they are applied one at a time in the
// order they came, a tool it cannot take left out: what applying each as it
// came would have left.
void resolve(int body) {
  Entity* gathered = liveBody(body);
  if (gathered == nullptr || gathered->pending.empty()) return;
  GeometryClock clock;
  saveEntity(body);
  Entity& e = state().entities.at(body);
  const std::vector<ShapeRef> tools = std::move(e.pending);
  e.pending.clear();
  Modeller& modeller = LoadedModeller();
  ShapeRef made;
  Shapes::Outcome outcome = modeller.Boolean(e.shape, tools, e.pendingOperation, &made);
  // Stopped: one at a time would only run as long again, each.
  if (outcome == Shapes::Outcome::Stopped) {
    logStopped("ZV_BODY_boolean_2", body);
    made = e.shape;
  } else if (outcome == Shapes::Outcome::Failed) {
    made = e.shape;
    outcome = Shapes::Outcome::Done;
    for (std::size_t i = 0; i < tools.size() && outcome == Shapes::Outcome::Done; ++i) {
      ShapeRef next;
      const Shapes::Outcome one = modeller.Boolean(made, {tools[i]}, e.pendingOperation, &next);
      if (one == Shapes::Outcome::Done) made = next;
      if (one == Shapes::Outcome::NoVolume) outcome = one;
      if (one == Shapes::Outcome::Stopped) {
        logStopped("ZV_BODY_boolean_2", body);
        outcome = one;
      }
    }
  }
  if (outcome == Shapes::Outcome::NoVolume)
    kill(body);
  else
    setShape(body, made);
}

const ShapeRef* shapeOf(int body) {
  resolve(body);
  Entity* e = liveBody(body);
  return e == nullptr || e->shape == nullptr ? nullptr : &e->shape;
}

int* hostArray(const std::vector<int>& values) {
  if (values.empty()) return nullptr;
  auto* array = static_cast<int*>(SM_alloc(values.size() * sizeof(int)));
  for (std::size_t i = 0; i < values.size(); ++i) array[i] = values[i];
  return array;
}

int copyBody(int body) {
  resolve(body);
  Entity source = state().entities.at(body);
  Entity copy;
  copy.type = source.type;
  copy.copiedFrom = body;
  if (source.shape != nullptr) {
    GeometryClock clock;
    copy.shape = LoadedModeller().Copy(source.shape);
  }
  int tag = newEntity(copy);
  for (std::size_t i = 0; i < source.faces.size(); ++i) AddFace(tag);
  return tag;
}

int scripted(const char* name) {
  if (Failure::Fails(Failure::kKernel, name)) return Failure::kKernelError;
  return static_cast<int>(Host::Answer(name, 0));
}

// A query of a body's geometry failed by the failure switch fails as the
// modeller's would: nothing written.
bool queryFails(const char* name) { return Failure::Fails(Failure::kQuery, name); }

}  // namespace

std::string ListText(int count, const int* values) {
  std::string text = "[";
  for (int i = 0; values != nullptr && i < count; ++i) {
    if (i > 0) text += ",";
    text += std::to_string(values[i]);
  }
  return text + "]";
}

std::string RealText(double value) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%g", value);
  return buffer;
}

int CreateBody(BodyType type) {
  Entity e;
  e.type = static_cast<int>(type);
  return newEntity(e);
}

int AddFace(int body) {
  resolve(body);
  if (liveBody(body) == nullptr) return 0;
  Entity face;
  face.body = false;
  face.owner = body;
  int tag = newEntity(face);
  saveEntity(body);
  state().entities.at(body).faces.push_back(tag);
  return tag;
}

void RemoveFace(int face) {
  Entity* e = live(face);
  if (e == nullptr || e->body) return;
  saveEntity(face);
  if (live(e->owner) != nullptr) saveEntity(e->owner);
  e->alive = false;
  if (Entity* body = live(e->owner)) std::erase(body->faces, face);
}

bool IsAlive(int entity) { return live(entity) != nullptr; }
bool IsBody(int entity) { return liveBody(entity) != nullptr; }
bool IsSheet(int entity) {
  const Entity* e = liveBody(entity);
  return e != nullptr && e->type == ZV_BODY_type_sheet_c;
}

int CopiedFrom(int body) {
  auto it = state().entities.find(body);
  return it == state().entities.end() ? 0 : it->second.copiedFrom;
}

int DeleteBody(int body, const char* caller) {
  if (body == 0) return 0;
  std::string who = caller != nullptr ? caller : "kernel";
  auto it = state().entities.find(body);
  int error = 0;
  std::string why;
  if (it == state().entities.end()) {
    error = ZV_ERROR_bad_tag;
    why = madeAndGone(body) ? "is already deleted" : "is unknown";
  } else if (!it->second.alive) {
    error = ZV_ERROR_bad_tag;
    why = "is already deleted";
  } else if (!it->second.body) {
    error = ZV_ERROR_not_a_body;
    why = "is not a body";
  } else if (heldByModel(body)) {
    error = ZV_ERROR_wrong_type;
    why = "belongs to a model object";
  }
  if (error != 0) {
    ++state().deleteErrors;
    recordError(who + ": body " + std::to_string(body) + " " + why);
    return error;
  }
  kill(body);
  return 0;
}

void RecordError(const std::string& text) { recordError(text); }

Counters LiveCounters() { return Counters{state().liveBodies, state().deleteErrors}; }
std::size_t EntityRecords() { return state().entities.size(); }
const std::vector<std::string>& Errors() { return state().errors; }

void AttachModelBody(tag_t object, int body) {
  DetachModelBody(object);
  if (body != 0) {
    setBodyOf(object, body);
    setObjectOf(body, object);
  }
}

int DetachModelBody(tag_t object) {
  auto it = state().modelBodies.find(object);
  if (it == state().modelBodies.end()) return 0;
  int body = it->second;
  setBodyOf(object, std::nullopt);
  if (auto back = state().modelObjects.find(body); back != state().modelObjects.end() && back->second == object)
    setObjectOf(body, std::nullopt);
  return body;
}

tag_t ModelObjectOf(int entity) {
  auto it = state().modelObjects.find(entity);
  return it == state().modelObjects.end() ? 0 : it->second;
}

int ReleaseModelBodies(const std::vector<tag_t>& objects) {
  std::vector<int> bodies;
  for (tag_t object : objects) {
    auto it = state().modelBodies.find(object);
    if (it == state().modelBodies.end() || liveBody(it->second) == nullptr) continue;
    bodies.push_back(it->second);
    DetachModelBody(object);
  }
  int released = 0;
  for (int body : bodies) {
    // Two of the objects may have held one body; and one held elsewhere stays.
    if (liveBody(body) == nullptr || heldByModel(body)) continue;
    kill(body);
    ++released;
  }
  return released;
}

int CreatePartition() { return ++state().partitions; }
int CurrentPartition() { return state().currentPartition; }
int PartitionOf(int entity) {
  auto it = state().entities.find(entity);
  return it == state().entities.end() ? 0 : it->second.partition;
}

void SetSessionPrecision(double linear, double angular) {
  state().linearPrecision = linear;
  state().angularPrecision = angular;
}

const ScaleFactorRecord& ScaleFactors() { return state().scale; }
void SetScaleFactors(double toKernel, double fromKernel) { state().scale = ScaleFactorRecord{{toKernel, fromKernel}}; }

bool HasGeometry(int body) { return shapeOf(body) != nullptr; }

double GeometrySeconds() { return GeometryClock::total(); }

void SetGeometryLimit(double seconds) { chosenLimit() = std::isfinite(seconds) && seconds >= 0 ? seconds : -1; }

GatheredBooleans::GatheredBooleans() { ++gathering(); }
GatheredBooleans::~GatheredBooleans() { --gathering(); }

int MakePlanarSheet(const std::vector<std::vector<double>>& polygons, const double point[3], const double normal[3],
                    int* sheet) {
  GeometryClock clock;
  if (sheet == nullptr) return ZV_ERROR_bad_value;
  *sheet = 0;
  if (point == nullptr || normal == nullptr || polygons.empty()) return ZV_ERROR_bad_value;
  for (const std::vector<double>& polygon : polygons)
    if (polygon.size() < 9 || !std::all_of(polygon.begin(), polygon.end(), [](double v) { return std::isfinite(v); }))
      return ZV_ERROR_bad_value;
  for (int k = 0; k < 3; ++k)
    if (!std::isfinite(point[k]) || !std::isfinite(normal[k])) return ZV_ERROR_bad_value;
  if (normal[0] == 0 && normal[1] == 0 && normal[2] == 0) return ZV_ERROR_bad_value;
  Modeller* modeller = LoadModeller();
  ShapeRef face;
  if (modeller == nullptr || !modeller->PlanarFace(polygons, point, normal, &face)) return ZV_ERROR_geometry;
  *sheet = CreateBody(BodyType::Sheet);
  setShape(*sheet, face);
  return 0;
}

void SewnEdges(const std::vector<FaceBoundary>& faces, double tolerance, std::vector<std::vector<int>>* faceEdges,
               std::vector<std::vector<double>>* ends) {
  Modeller* modeller = LoadModeller();
  GeometryClock clock;
  if (modeller != nullptr) return modeller->SewnEdges(faces, tolerance, faceEdges, ends);
  // Without the modeller (an error already reported) every face is there,
  // with no edges.
  faceEdges->assign(faces.size(), {});
  ends->clear();
}

int TrimToPlane(int body, const double point[3], const double normal[3]) {
  GeometryClock clock;
  if (!IsBody(body)) return IsAlive(body) ? ZV_ERROR_not_a_body : ZV_ERROR_bad_tag;
  if (point == nullptr || normal == nullptr) return ZV_ERROR_bad_value;
  const ShapeRef* shape = shapeOf(body);
  if (shape == nullptr) return 0;
  ShapeRef kept;
  switch (LoadedModeller().HalfSpace(*shape, point, normal, &kept)) {
    case Shapes::Outcome::Done:
      setShape(body, kept);
      return 0;
    case Shapes::Outcome::NoVolume:
      kill(body);
      return 0;
    case Shapes::Outcome::Stopped:
      logStopped("TrimToPlane", body);
      break;
    case Shapes::Outcome::Failed:
      break;
  }
  return ZV_ERROR_geometry;
}

double Volume(int body) {
  GeometryClock clock;
  const ShapeRef* shape = shapeOf(body);
  return shape == nullptr ? 0.0 : LoadedModeller().Volume(*shape);
}

bool Bounds(int body, double min[3], double max[3]) {
  GeometryClock clock;
  const ShapeRef* shape = shapeOf(body);
  return shape != nullptr && LoadedModeller().Bounds(*shape, nullptr, nullptr, min, max);
}

bool AlignedBounds(int body, const double origin[3], const double matrix[9], double min[3], double max[3]) {
  GeometryClock clock;
  const ShapeRef* shape = shapeOf(body);
  return shape != nullptr && origin != nullptr && matrix != nullptr &&
         LoadedModeller().Bounds(*shape, origin, matrix, min, max);
}

Containment Classify(int body, const double point[3]) {
  GeometryClock clock;
  const ShapeRef* shape = shapeOf(body);
  if (shape == nullptr || point == nullptr) return Containment::Out;
  int where = LoadedModeller().Classify(*shape, point, state().linearPrecision);
  return where > 0 ? Containment::In : where == 0 ? Containment::On : Containment::Out;
}

namespace {
StepWriterForTests stepWriterForTests = nullptr;
}  // namespace

int WriteStep(const std::vector<int>& bodies, const std::string& file) {
  GeometryClock clock;
  std::vector<ShapeRef> shapes;
  for (int body : bodies)
    if (const ShapeRef* shape = shapeOf(body)) shapes.push_back(*shape);
  if (shapes.empty()) return ZV_ERROR_bad_value;
  // Written beside the file and renamed onto it: a write cut short leaves
  // the older file whole.
  Files::TemporaryBeside temporary(file);
  if (!temporary.Made()) return ZV_ERROR_geometry;
  // Through the file made, never by its path again.
  Files::DescriptorBuffer buffer(temporary.Descriptor());
  std::ostream out(&buffer);
  bool written = false;
  try {
    written = stepWriterForTests != nullptr ? stepWriterForTests(out)
                                            : LoadedModeller().WriteStep(shapes, state().scale.factors[1], out);
    written = written && out.flush();
  } catch (...) {
    // What the modeller throws (its own failures, which only the module can
    // name, or the library's) is a write that failed, as its false is.
    written = false;
  }
  if (!written) {
    errno = buffer.Error() != 0 ? buffer.Error() : kModellerFailed;
    return ZV_ERROR_geometry;
  }
  return temporary.PutInPlace() ? 0 : ZV_ERROR_geometry;
}

void SetStepWriterForTests(StepWriterForTests writer) { stepWriterForTests = writer; }

int ReadStep(const std::string& file, std::vector<int>* bodies) {
  if (bodies == nullptr) return ZV_ERROR_bad_value;
  Modeller* modeller = LoadModeller();
  GeometryClock clock;
  std::vector<ShapeRef> solids;
  if (modeller == nullptr || !modeller->ReadStep(file, state().scale.factors[0], &solids)) return ZV_ERROR_geometry;
  for (const ShapeRef& solid : solids) {
    int body = CreateBody(BodyType::Solid);
    setShape(body, solid);
    bodies->push_back(body);
  }
  return 0;
}

double Tolerance(int body) {
  GeometryClock clock;
  const ShapeRef* shape = shapeOf(body);
  return shape == nullptr ? 0.0 : LoadedModeller().Tolerance(*shape);
}

int TakeGeometry(int body, int from) {
  resolve(body);
  resolve(from);
  if (Entity* e = live(body); e == nullptr || !e->body) return e == nullptr ? ZV_ERROR_bad_tag : ZV_ERROR_not_a_body;
  if (Entity* e = live(from); e == nullptr || !e->body || from == body)
    return e == nullptr ? ZV_ERROR_bad_tag : ZV_ERROR_not_a_body;
  const Entity source = state().entities.at(from);
  kill(from);
  setShape(body, source.shape);
  saveEntity(body);
  return 0;
}

}  // namespace KTX::Kernel

using namespace KTX::Kernel;

namespace {
// The check every call on a body starts with.
int bodyError(int body) {
  if (KTX::Kernel::IsBody(body)) return 0;
  return KTX::Kernel::IsAlive(body) ? ZV_ERROR_not_a_body : ZV_ERROR_bad_tag;
}

// The boolean of a target with geometry: what the modeller makes of it and
// the tools' geometry. A failure of the modeller changes nothing. While
// booleans are gathered, a unite or subtract onto a solid only keeps its
// tools' geometry for later (see GatheredBooleans).
int realBoolean(int target, int n_tools, const int* tools, const ZV_BODY_boolean_o_t& options,
                ZV_boolean_r_t* results, ZV_TOPOL_track_r_t* tracking) {
  GeometryClock clock;
  Shapes::Operation operation = options.function == ZV_boolean_intersect_c  ? Shapes::Operation::Intersect
                                : options.function == ZV_boolean_subtract_c ? Shapes::Operation::Subtract
                                                                            : Shapes::Operation::Unite;
  const Entity& was = state().entities.at(target);
  Modeller& modeller = LoadedModeller();
  const bool gather = gathering() > 0 && operation != Shapes::Operation::Intersect &&
                      was.type == ZV_BODY_type_solid_c && modeller.IsSolid(was.shape);
  if (gather && !was.pending.empty() && was.pendingOperation != operation) {
    resolve(target);
    if (!IsBody(target)) return ZV_ERROR_bad_tag;  // the gathered ones left nothing to work on
  }
  std::vector<ShapeRef> toolShapes;
  for (int i = 0; i < n_tools; ++i)
    if (const ShapeRef* tool = shapeOf(tools[i])) toolShapes.push_back(*tool);
  Shapes::Outcome outcome = Shapes::Outcome::Done;
  ShapeRef made;
  if (gather) {
    saveEntity(target);
    Entity& e = state().entities.at(target);
    e.pendingOperation = operation;
    e.pending.insert(e.pending.end(), toolShapes.begin(), toolShapes.end());
  } else {
    const ShapeRef* shape = shapeOf(target);
    if (shape == nullptr) return ZV_ERROR_bad_tag;
    outcome = modeller.Boolean(*shape, toolShapes, operation, &made);
    if (outcome == Shapes::Outcome::Stopped) logStopped("ZV_BODY_boolean_2", target);
    if (outcome == Shapes::Outcome::Failed || outcome == Shapes::Outcome::Stopped) return ZV_ERROR_geometry;
  }
  for (int i = 0; i < n_tools; ++i) {
    if (IsBody(tools[i])) kill(tools[i]);
  }
  if (outcome == Shapes::Outcome::NoVolume) {
    kill(target);
    results->status = ZV_boolean_result_failed_c;
  } else {
    if (!gather) setShape(target, made);
    results->status = ZV_boolean_result_success_c;
    results->n_bodies = 1;
    results->bodies = hostArray({target});
  }
  tracking->n_track_records = 1;
  tracking->track_records = hostArray({target});
  return 0;
}

}  // namespace

extern "C" {

bool ZV_ENTITY_is(int entity) {
  resolve(entity);
  bool is = IsAlive(entity);
  KTX::Host::Log("ZV_ENTITY_is", "entity=" + std::to_string(entity) + (is ? " -> true" : " -> false"));
  return is;
}

int ZV_ENTITY_copy(int entity, int* copy) {
  KTX::Host::Log("ZV_ENTITY_copy", "entity=" + std::to_string(entity));
  if (copy == nullptr) return ZV_ERROR_bad_value;
  *copy = 0;
  resolve(entity);
  if (int error = bodyError(entity)) return error;
  if (int error = scripted("ZV_ENTITY_copy")) return error;
  *copy = copyBody(entity);
  return 0;
}

int ZV_BODY_ask_type(int body, int* type) {
  KTX::Host::Log("ZV_BODY_ask_type", "body=" + std::to_string(body));
  if (type == nullptr) return ZV_ERROR_bad_value;
  if (int error = bodyError(body)) return error;
  *type = state().entities.at(body).type;
  return 0;
}

int ZV_BODY_ask_faces(int body, int* n_faces, int** faces) {
  KTX::Host::Log("ZV_BODY_ask_faces", "body=" + std::to_string(body));
  if (n_faces == nullptr || faces == nullptr) return ZV_ERROR_bad_value;
  *n_faces = 0;
  *faces = nullptr;
  resolve(body);
  if (int error = bodyError(body)) return error;
  const std::vector<int>& list = state().entities.at(body).faces;
  *n_faces = static_cast<int>(list.size());
  *faces = hostArray(list);
  return 0;
}

int ZV_BODY_ask_box(int body, const double origin[3], const double matrix[9], double low[3], double high[3]) {
  KTX::Host::Log("ZV_BODY_ask_box", "body=" + std::to_string(body));
  if (origin == nullptr || matrix == nullptr || low == nullptr || high == nullptr) return ZV_ERROR_bad_value;
  resolve(body);
  if (int error = bodyError(body)) return error;
  if (!KTX::Kernel::HasGeometry(body)) return ZV_ERROR_no_geometry;
  if (queryFails("ZV_BODY_ask_box")) return ZV_ERROR_geometry;
  return KTX::Kernel::AlignedBounds(body, origin, matrix, low, high) ? 0 : ZV_ERROR_geometry;
}

int ZV_BODY_ask_n_solids(int body, int* n_solids) {
  KTX::Host::Log("ZV_BODY_ask_n_solids", "body=" + std::to_string(body));
  if (n_solids == nullptr) return ZV_ERROR_bad_value;
  *n_solids = 0;
  resolve(body);
  if (int error = bodyError(body)) return error;
  if (!KTX::Kernel::HasGeometry(body)) return ZV_ERROR_no_geometry;
  if (queryFails("ZV_BODY_ask_n_solids")) return ZV_ERROR_geometry;
  // Faces that share an edge belong to one solid: the solids are the groups
  // of faces joined so.
  std::vector<std::vector<double>> edges;
  std::vector<std::vector<int>> faceEdges;
  if (!LoadedModeller().DescribeEdges(body, &edges, &faceEdges)) return ZV_ERROR_geometry;
  // An edge left undescribed is one the modeller faulted on: a count that
  // went on past it would answer for a body the modeller did not read whole.
  if (std::any_of(edges.begin(), edges.end(), [](const std::vector<double>& points) { return points.empty(); }))
    return ZV_ERROR_geometry;
  std::vector<int> group(faceEdges.size());
  for (std::size_t i = 0; i < group.size(); ++i) group[i] = static_cast<int>(i);
  auto root = [&](int f) {
    while (group[static_cast<std::size_t>(f)] != f) f = group[static_cast<std::size_t>(f)];
    return f;
  };
  std::vector<int> firstFace(edges.size(), -1);
  for (std::size_t f = 0; f < faceEdges.size(); ++f)
    for (int e : faceEdges[f]) {
      int& seen = firstFace[static_cast<std::size_t>(e)];
      if (seen < 0)
        seen = static_cast<int>(f);
      else
        group[static_cast<std::size_t>(root(static_cast<int>(f)))] = root(seen);
    }
  for (std::size_t f = 0; f < group.size(); ++f) *n_solids += root(static_cast<int>(f)) == static_cast<int>(f);
  return 0;
}

int ZV_BODY_check_solid(int body, int* valid) {
  KTX::Host::Log("ZV_BODY_check_solid", "body=" + std::to_string(body));
  if (valid == nullptr) return ZV_ERROR_bad_value;
  *valid = 0;
  resolve(body);
  if (int error = bodyError(body)) return error;
  if (!KTX::Kernel::HasGeometry(body)) return ZV_ERROR_no_geometry;
  if (queryFails("ZV_BODY_check_solid")) return ZV_ERROR_geometry;
  int solids = 0;
  // One solid: a second group of faces is a second solid, however valid.
  if (const int counted = ZV_BODY_ask_n_solids(body, &solids); counted != 0) return counted;
  if (solids != 1) return 0;
  // A checker that faulted has said nothing of the solid: the call fails.
  const int checked = LoadedModeller().CheckClosedSolid(body);
  if (checked < 0) return ZV_ERROR_geometry;
  *valid = checked;
  return 0;
}

int ZV_BODY_classify_points(int body, int n_points, const double* points, int* where) {
  KTX::Host::Log("ZV_BODY_classify_points", "body=" + std::to_string(body) + " n_points=" + std::to_string(n_points));
  if (n_points < 0 || (n_points > 0 && (points == nullptr || where == nullptr))) return ZV_ERROR_bad_value;
  resolve(body);
  if (int error = bodyError(body)) return error;
  if (!KTX::Kernel::HasGeometry(body)) return ZV_ERROR_no_geometry;
  if (queryFails("ZV_BODY_classify_points")) return ZV_ERROR_geometry;
  if (n_points == 0) return 0;
  GeometryClock clock;
  // One pass of the modeller over the body for all the points.
  return LoadedModeller().ClassifyPoints(*shapeOf(body), points, n_points, state().linearPrecision, where)
             ? 0
             : ZV_ERROR_geometry;
}

int ZV_FACE_ask_body(int face, int* body) {
  KTX::Host::Log("ZV_FACE_ask_body", "face=" + std::to_string(face));
  if (body == nullptr) return ZV_ERROR_bad_value;
  *body = 0;
  Entity* e = live(face);
  if (e == nullptr) return ZV_ERROR_bad_tag;
  if (e->body) return ZV_ERROR_wrong_type;
  *body = e->owner;
  return 0;
}

int ZV_BODY_sweep(int body, const double path[3], ZV_TOPOL_track_r_t* tracking) {
  KTX::Host::Log("ZV_BODY_sweep", "body=" + std::to_string(body) + " path=" +
                                      (path == nullptr ? std::string("null")
                                                       : RealText(path[0]) + "," + RealText(path[1]) + "," +
                                                             RealText(path[2])));
  if (path == nullptr || tracking == nullptr) return ZV_ERROR_bad_value;
  *tracking = ZV_TOPOL_track_r_t{};
  if (int error = bodyError(body)) return error;
  if (state().entities.at(body).type != ZV_BODY_type_sheet_c) return ZV_ERROR_wrong_type;
  if (int error = scripted("ZV_BODY_sweep")) return error;
  if (const ShapeRef* sheet = shapeOf(body)) {
    GeometryClock clock;
    ShapeRef solid;
    if (!LoadedModeller().Prism(*sheet, path, &solid)) return ZV_ERROR_geometry;
    setShape(body, solid);
  }
  saveEntity(body);
  state().entities.at(body).type = ZV_BODY_type_solid_c;
  tracking->n_track_records = 1;
  tracking->track_records = hostArray({body});
  return 0;
}

int ZV_BODY_offset_2(int body, double offset, double tolerance, const ZV_BODY_offset_o_t* options,
                     ZV_TOPOL_track_r_t* tracking, ZV_TOPOL_local_r_t* results) {
  ZV_BODY_offset_o_t used = options != nullptr ? *options : ZV_BODY_offset_o_t{};
  KTX::Host::Log("ZV_BODY_offset_2", "body=" + std::to_string(body) + " offset=" + RealText(offset) +
                                         " tol=" + RealText(tolerance) + " version=" +
                                         std::to_string(used.o_t_version) + " update=" + std::to_string(used.update));
  if (tracking == nullptr || results == nullptr) return ZV_ERROR_bad_value;
  *tracking = ZV_TOPOL_track_r_t{};
  *results = ZV_TOPOL_local_r_t{};
  if (int error = bodyError(body)) return error;
  if (int error = scripted("ZV_BODY_offset_2")) return error;
  if (const ShapeRef* shape = shapeOf(body)) {
    GeometryClock clock;
    ShapeRef moved;
    switch (LoadedModeller().Offset(*shape, offset, tolerance, &moved)) {
      case Shapes::Outcome::Done:
        setShape(body, moved);
        break;
      case Shapes::Outcome::NoVolume:
        KTX::Host::Log("ZV_BODY_offset_2", "body=" + std::to_string(body) + " leaves no volume");
        kill(body);
        results->status = ZV_local_result_no_volume_c;
        return 0;
      case Shapes::Outcome::Stopped:
        logStopped("ZV_BODY_offset_2", body);
        return ZV_ERROR_geometry;
      case Shapes::Outcome::Failed:
        return ZV_ERROR_geometry;
    }
  }
  tracking->n_track_records = 1;
  tracking->track_records = hostArray({body});
  results->n_topols = 1;
  results->topols = hostArray({body});
  return 0;
}

int ZV_BODY_boolean_2(int target, int n_tools, const int* tools, const ZV_BODY_boolean_o_t* options,
                      ZV_TOPOL_track_r_t* tracking, ZV_boolean_r_t* results) {
  ZV_BODY_boolean_o_t used = options != nullptr ? *options : ZV_BODY_boolean_o_t{};
  KTX::Host::Log("ZV_BODY_boolean_2",
                 "target=" + std::to_string(target) + " tools=" + ListText(n_tools, tools) +
                     " function=" + std::to_string(used.function) + " tol=" + RealText(used.tolerance) +
                     " version=" + std::to_string(used.o_t_version) + " option_24=" + std::to_string(used.option_24) +
                     " option_32=" + std::to_string(used.option_32));
  if (tracking == nullptr || results == nullptr || n_tools < 0 || (n_tools > 0 && tools == nullptr)) {
    return ZV_ERROR_bad_value;
  }
  *tracking = ZV_TOPOL_track_r_t{};
  *results = ZV_boolean_r_t{};
  if (int error = bodyError(target)) return error;
  for (int i = 0; i < n_tools; ++i) {
    if (tools[i] == target) return ZV_ERROR_bad_value;
    if (int error = bodyError(tools[i])) return error;
  }
  if (int error = scripted("ZV_BODY_boolean_2")) return error;
  if (const Entity* e = liveBody(target); e != nullptr && e->shape != nullptr)
    return realBoolean(target, n_tools, tools, used, results, tracking);
  for (int i = 0; i < n_tools; ++i) {
    if (IsBody(tools[i])) kill(tools[i]);  // a tool named twice is consumed once
  }
  results->status = static_cast<int>(KTX::Host::Answer("ZV_BODY_boolean_2.status", ZV_boolean_result_success_c));
  if (KTX::Host::Answer("ZV_BODY_boolean_2.empty", 0) != 0) {
    kill(target);
  } else {
    results->n_bodies = 1;
    results->bodies = hostArray({target});
  }
  tracking->n_track_records = 1;
  tracking->track_records = hostArray({target});
  return 0;
}

void ZV_TOPOL_track_r_f(ZV_TOPOL_track_r_t* tracking) {
  if (tracking == nullptr) return;
  if (tracking->track_records != nullptr) SM_free(tracking->track_records);
  *tracking = ZV_TOPOL_track_r_t{};
}

void ZV_TOPOL_local_r_f(ZV_TOPOL_local_r_t* results) {
  if (results == nullptr) return;
  if (results->topols != nullptr) SM_free(results->topols);
  *results = ZV_TOPOL_local_r_t{};
}

void ZV_boolean_r_f(ZV_boolean_r_t* results) {
  if (results == nullptr) return;
  if (results->bodies != nullptr) SM_free(results->bodies);
  *results = ZV_boolean_r_t{};
}

int ZV_PARTITION_ask_current(int* partition) {
  KTX::Host::Log("ZV_PARTITION_ask_current");
  if (partition == nullptr) return ZV_ERROR_bad_value;
  *partition = 0;
  if (int error = scripted("ZV_PARTITION_ask_current")) return error;
  *partition = state().currentPartition;
  return 0;
}

int ZV_PARTITION_set_current(int partition) {
  KTX::Host::Log("ZV_PARTITION_set_current", "partition=" + std::to_string(partition));
  if (partition < 1 || partition > state().partitions) return ZV_ERROR_bad_tag;
  state().currentPartition = partition;
  return 0;
}

int ZV_BODY_ask_partition(int body, int* partition) {
  KTX::Host::Log("ZV_BODY_ask_partition", "body=" + std::to_string(body));
  if (partition == nullptr) return ZV_ERROR_bad_value;
  *partition = 0;
  if (int error = bodyError(body)) return error;
  *partition = state().entities.at(body).partition;
  return 0;
}

int ZV_PARTITION_move_body(int partition, int body) {
  KTX::Host::Log("ZV_PARTITION_move_body", "partition=" + std::to_string(partition) + " body=" + std::to_string(body));
  if (partition < 1 || partition > state().partitions) return ZV_ERROR_bad_tag;
  if (int error = bodyError(body)) return error;
  if (int error = scripted("ZV_PARTITION_move_body")) return error;
  for (int face : state().entities.at(body).faces) saveEntity(face);
  saveEntity(body);
  Entity& e = state().entities.at(body);
  e.partition = partition;
  for (int face : e.faces) state().entities.at(face).partition = partition;
  return 0;
}

int ZV_SESSION_ask_precision(double* precision) {
  KTX::Host::Log("ZV_SESSION_ask_precision");
  if (precision == nullptr) return ZV_ERROR_bad_value;
  *precision = state().linearPrecision;
  return 0;
}

int ZV_SESSION_ask_angle_precision(double* precision) {
  KTX::Host::Log("ZV_SESSION_ask_angle_precision");
  if (precision == nullptr) return ZV_ERROR_bad_value;
  *precision = state().angularPrecision;
  return 0;
}

}  // extern "C"

namespace KTX {

int ES_solid_ask_solvane_tag(tag_t object) {
  auto it = Kernel::state().modelBodies.find(object);
  int body = it == Kernel::state().modelBodies.end() ? 0 : it->second;
  Host::Log("ES_solid_ask_solvane_tag", "tag=" + std::to_string(object) + " -> " + std::to_string(body));
  return body;
}

void strip_qd_body(int body) {
  Host::Log("strip_qd_body", "body=" + std::to_string(body));
  if (!Kernel::IsBody(body)) {
    Kernel::recordError("strip_qd_body: body " + std::to_string(body) + " is not alive");
    return;
  }
  Kernel::state().undo.Strip(body);
}


}  // namespace KTX

namespace KTX::Kernel {
namespace {

ModellerStepForTests modellerStepForTests = nullptr;

// The kernel's bodies as the geometry module reaches them.
class Bodies final : public BodyAccess {
 public:
  int Make(BodyType type, ShapeRef shape) override {
    StepForTests("making a body", nullptr);
    const int body = CreateBody(type);
    setShape(body, shape);
    return body;
  }
  void Set(int body, ShapeRef shape) override {
    StepForTests("setting a body", nullptr);
    setShape(body, shape);
  }
  void Drop(int body) override {
    StepForTests("dropping a body", nullptr);
    saveEntity(body);
    state().entities.at(body).shape.reset();
  }
  const ShapeRef* Of(int body) override { return shapeOf(body); }
  void EnterClock() override {
    if (GeometryClock::depth()++ == 0) started_ = std::chrono::steady_clock::now();
  }
  void LeaveClock() override {
    if (--GeometryClock::depth() == 0)
      GeometryClock::total() += std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
  }
  double LimitSeconds() override { return limitSeconds(); }
  double FileScale() override { return state().scale.factors[1]; }
  void StepForTests(const char* step, const char* path) override {
    if (modellerStepForTests != nullptr) modellerStepForTests(step, path);
  }

 private:
  std::chrono::steady_clock::time_point started_;
};

}  // namespace

void SetModellerStepForTests(ModellerStepForTests step) { modellerStepForTests = step; }

BodyAccess& KernelBodies() {
  static Bodies bodies;
  return bodies;
}

}  // namespace KTX::Kernel
