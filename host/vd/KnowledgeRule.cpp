#include "vd/KnowledgeRule.hpp"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

#include "sys/CallLog.hpp"
#include "sys/Memory.hpp"
#include "sys/Str.hpp"

namespace KTX {

int KF_rule_instance::ThisClassId = 0;
int VD::Manikin::ThisClassId = 0;

namespace {

// Every instance made, in the order made (the order its part keeps them
// in): an expression's destroy asks whether one holds it, and reading these
// is cheaper than reading all that the part keeps.
std::vector<tag_t>& madeInstances() {
  static auto* made = new std::vector<tag_t>;
  return *made;
}
KF_rule_instance* newInstance(PART_part* part) {
  auto* instance = Host::CreateInPart<KF_rule_instance>(part);
  madeInstances().push_back(instance->OmTag());
  return instance;
}

struct RuleClasses {
  RuleClasses() {
    Host::RegisterHostClass<KF_rule_instance>(OM::TaggedObject::OmClassName);
    Host::RegisterHostClass<VD::Manikin>(FEATURE_PARMS::OmClassName);
    OM::OM_set_keep_alive_check(&heldByAnInstance);
  }
  // An expression a live instance of its part holds stays when the builder
  // that made it goes. Instances note the expressions they store as held by
  // them: the check reads only the expression's own holders.
  static bool heldByAnInstance(const OM::Object* object) {
    const auto* expression = dynamic_cast<const EXP_expression*>(object);
    if (expression == nullptr) return false;
    const tag_t tag = expression->OmTag();
    const std::vector<tag_t>* holders = OM::OM_ask_holders(tag);
    if (holders == nullptr) return false;
    const PART_part* part = PART_ask_part_of_object(tag);
    for (tag_t holder : *holders) {
      const auto* instance = dynamic_cast<const KF_rule_instance*>(OM::OM_object_of_tag(holder));
      if (instance == nullptr || part == nullptr || PART_ask_part_of_object(holder) != part) continue;
      for (const auto& [name, held] : instance->Expressions())
        if (held == tag) return true;
    }
    return false;
  }
} ruleClasses;

const char* const kManikinClass = "%qd_vd_2dmanikin";
const char* const kJointExpressions[] = {"Back_Angle_exp", "Shoulder_Angle_exp", "Elbow_Angle_exp", "Hip_Angle_exp",
                                         "Knee_Angle_exp", "Ankle_Angle_exp",    "Hand_Angle_exp"};

bool same(const std::string& a, const std::string& b) { return STR_compare_i(a.c_str(), b.c_str()) == 0; }
std::string orNull(const char* text) { return text != nullptr ? text : "(null)"; }

// ---- the rule language's value texts ----------------------------------------------
// A list of numbers only or of texts only keeps them as such; any other list
// (lists of lists, of references, mixed) keeps its items.
enum class Kind { Integer, Real, Boolean, Text, NumberList, TextList, Reference, Point, Vector, List, Bad };
struct Value {
  Kind kind = Kind::Bad;
  double number = 0;
  bool boolean = false;
  tag_t reference = 0;
  double xyz[3] = {0, 0, 0};
  std::string text;
  std::vector<double> numbers;
  std::vector<std::string> texts;
  std::vector<Value> items;
};

std::string trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool wholeNumber(const std::string& text, double* value, bool* integral) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || errno == ERANGE || !std::isfinite(v)) return false;
  *value = v;
  // A whole number beyond an integer's range is a number, as a written real is.
  *integral = text.find_first_of(".eE") == std::string::npos && std::fabs(v) < 2147483648.0;
  return true;
}

// A text between double quotes, in which a double quote is written twice; a
// lone one inside is no text.
bool quoted(const std::string& text, std::string* inner) {
  if (text.size() < 2 || text.front() != '"' || text.back() != '"') return false;
  inner->clear();
  for (std::size_t i = 1; i + 1 < text.size(); ++i) {
    if (text[i] == '"' && (i + 2 >= text.size() || text[++i] != '"')) return false;
    *inner += text[i];
  }
  return true;
}

// The items of a list's inside, split at the commas outside quotes and inner
// braces; false for unbalanced braces or quotes.
bool listItems(const std::string& inside, std::vector<std::string>* items) {
  std::string item;
  bool inQuotes = false;
  int depth = 0;
  for (char c : inside) {
    if (c == '"') inQuotes = !inQuotes;
    if (!inQuotes && c == '{') ++depth;
    if (!inQuotes && c == '}' && --depth < 0) return false;
    if (c == ',' && !inQuotes && depth == 0) {
      items->push_back(trimmed(item));
      item.clear();
    } else {
      item += c;
    }
  }
  if (inQuotes || depth != 0) return false;
  if (!trimmed(item).empty() || !items->empty()) items->push_back(trimmed(item));
  return true;
}

// "point(x, y, z)" or "vector(x, y, z)".
bool triple(const std::string& text, const char* word, double xyz[3]) {
  const std::size_t length = std::strlen(word);
  if (text.size() < length + 2 || STR_compare_i(text.substr(0, length).c_str(), word) != 0 || text[length] != '(' ||
      text.back() != ')')
    return false;
  std::vector<std::string> parts;
  if (!listItems(text.substr(length + 1, text.size() - length - 2), &parts) || parts.size() != 3) return false;
  bool integral = false;
  for (int i = 0; i < 3; ++i)
    if (!wholeNumber(parts[static_cast<std::size_t>(i)], &xyz[i], &integral)) return false;
  return true;
}

Value parse(const std::string& raw, int depth = 0) {
  Value value;
  const std::string text = trimmed(raw);
  bool integral = false;
  unsigned long long tag = 0;
  int used = 0;
  // Deeper than any rule's value: refused rather than recursed into.
  if (depth > 16) return value;
  if (same(text, "TRUE") || same(text, "FALSE")) {
    value.kind = Kind::Boolean;
    value.boolean = same(text, "TRUE");
  } else if (quoted(text, &value.text)) {
    value.kind = Kind::Text;
  } else if (wholeNumber(text, &value.number, &integral)) {
    value.kind = integral ? Kind::Integer : Kind::Real;
  } else if (std::sscanf(text.c_str(), "tag(%llu)%n", &tag, &used) == 1 && used == static_cast<int>(text.size())) {
    value.kind = Kind::Reference;
    value.reference = static_cast<tag_t>(tag);
  } else if (triple(text, "point", value.xyz)) {
    value.kind = Kind::Point;
  } else if (triple(text, "vector", value.xyz)) {
    value.kind = Kind::Vector;
  } else if (text.size() >= 2 && text.front() == '{' && text.back() == '}') {
    std::vector<std::string> items;
    if (!listItems(text.substr(1, text.size() - 2), &items)) return value;
    bool allNumbers = true, allTexts = true;
    for (const auto& one : items) {
      value.items.push_back(parse(one, depth + 1));
      const Value& item = value.items.back();
      if (item.kind == Kind::Bad) return Value{};
      if (item.kind == Kind::Integer || item.kind == Kind::Real)
        value.numbers.push_back(item.number);
      else
        allNumbers = false;
      if (item.kind == Kind::Text)
        value.texts.push_back(item.text);
      else
        allTexts = false;
    }
    value.kind = allNumbers ? Kind::NumberList : allTexts ? Kind::TextList : Kind::List;
  }
  return value;
}

// ---- instances ----------------------------------------------------------------------
KF_rule_instance* findInstance(const PART_part* part, const std::string& name) {
  for (KF_rule_instance* instance : KnowledgeRule::Instances(part))
    if (same(instance->ask_name(), name)) return instance;
  return nullptr;
}

std::string checkerName(const std::string& instance) { return instance + "_checker"; }

// Whether a manikin rule of these parameters wants its checker.
bool asksForChecker(const std::vector<std::string>& names, const std::vector<std::string>& values) {
  bool checker = false;
  for (std::size_t i = 0; i < names.size() && i < values.size(); ++i)
    if (same(names[i], "add_validation_checker?")) checker = parse(values[i]).boolean;
  return checker;
}

// "root:<a>:<b>:<attribute>:" -> the instance <b> and the attribute.
bool splitChain(const char* chain, std::string* instance, std::string* attribute) {
  if (chain == nullptr || std::strncmp(chain, "root:", 5) != 0) return false;
  std::vector<std::string> parts;
  std::string part;
  for (const char* c = chain + 5; *c != '\0'; ++c) {
    if (*c == ':') {
      parts.push_back(part);
      part.clear();
    } else {
      part += *c;
    }
  }
  if (!part.empty()) parts.push_back(part);
  if (parts.size() < 2) return false;
  *instance = parts[parts.size() - 2];
  *attribute = parts.back();
  return true;
}

// The attribute's value text as the instance answers it, its parameters first,
// then what its class works out.
int lookUp(const char* chain, Value* value) {
  std::string name, attribute;
  if (!splitChain(chain, &name, &attribute)) return KnowledgeRule::kNoInstance;
  const KF_rule_instance* instance = findInstance(PART_ask_work_part(), name);
  if (instance == nullptr) return KnowledgeRule::kNoInstance;
  const auto names = instance->ParameterNames();
  const auto values = instance->ParameterValues();
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (same(names[i], attribute)) {
      *value = parse(values[i]);
      return 0;
    }
  }
  if (std::strcmp(instance->ask_rule_class(), kManikinClass) == 0) {
    const bool checker = asksForChecker(names, values);
    if (same(attribute, "add_checker?")) {
      *value = parse(checker ? "TRUE" : "FALSE");
      return 0;
    }
    if (same(attribute, "checker_instance") && checker) {
      *value = parse("\"" + checkerName(instance->ask_name()) + "\"");
      return 0;
    }
  }
  return KnowledgeRule::kNoAttribute;
}

bool isAngle(const std::string& parameter) {
  return parameter.rfind("L40", 0) == 0 || parameter.rfind("Theta_AHP", 0) == 0 || parameter.rfind("H18", 0) == 0;
}
bool endsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The records made for rule instances: each carries a knowledge link.
std::set<tag_t>& linkedRecords() {
  static auto* records = new std::set<tag_t>;
  return *records;
}

KBL_list_s* cellsOf(const std::vector<Value>& items);

KBL_value_t valueOut(const Value& value) {
  KBL_value_t out;
  switch (value.kind) {
    case Kind::Integer: out.type = KBL_TYPE_INTEGER, out.integer = static_cast<int>(value.number), out.number = value.number; break;
    case Kind::Real: out.type = KBL_TYPE_NUMBER, out.number = value.number; break;
    case Kind::Boolean: out.type = KBL_TYPE_BOOLEAN, out.logical = value.boolean; break;
    case Kind::Text: out.type = KBL_TYPE_STRING, out.string = SM_string_copy(value.text.c_str()); break;
    case Kind::Reference: out.type = KBL_TYPE_OBJECT, out.object = value.reference; break;
    case Kind::Point:
    case Kind::Vector:
      out.type = value.kind == Kind::Point ? KBL_TYPE_POINT : KBL_TYPE_VECTOR;
      std::memcpy(out.xyz, value.xyz, sizeof out.xyz);
      break;
    case Kind::NumberList:
    case Kind::TextList:
    case Kind::List: out.type = KBL_TYPE_LIST, out.list = cellsOf(value.items); break;
    case Kind::Bad: break;
  }
  return out;
}

KBL_list_s* cellsOf(const std::vector<Value>& items) {
  KBL_list_s* first = nullptr;
  KBL_list_s** next = &first;
  for (const Value& item : items) {
    auto* cell = static_cast<KBL_list_s*>(SM_alloc(sizeof(KBL_list_s)));
    cell->head = valueOut(item);
    cell->tail = nullptr;
    *next = cell;
    next = &cell->tail;
  }
  return first;
}

char** textsOut(const std::vector<std::string>& texts) {
  if (texts.empty()) return nullptr;
  auto** out = static_cast<char**>(SM_alloc(texts.size() * sizeof(char*)));
  for (std::size_t i = 0; i < texts.size(); ++i) out[i] = SM_string_copy(texts[i].c_str());
  return out;
}

}  // namespace

// ---- KF_rule_instance -------------------------------------------------------------------
KF_rule_instance::KF_rule_instance(int classId, void* context)
    : OM::TaggedObject(classId, context),
      names_(new OM::StringVla(this)),
      values_(new OM::StringVla(this)),
      expressionNames_(new OM::StringVla(this)),
      expressionTags_(new OM::TagVla(this)) {}

KF_rule_instance::~KF_rule_instance() {
  delete names_;
  delete values_;
  delete expressionNames_;
  delete expressionTags_;
}

std::vector<std::string> KF_rule_instance::ParameterNames() const { return names_->Items(); }
std::vector<std::string> KF_rule_instance::ParameterValues() const { return values_->Items(); }

std::vector<std::pair<std::string, tag_t>> KF_rule_instance::Expressions() const {
  std::vector<std::pair<std::string, tag_t>> list;
  for (int i = 0; i < expressionTags_->Length(); ++i)
    list.emplace_back(expressionNames_->At(i), expressionTags_->At(i));
  return list;
}

void KF_rule_instance::Fill(const char* name, const char* ruleClass, const char* parent) {
  OM::LogForWrite(this);
  std::snprintf(name_, sizeof name_, "%s", name);
  std::snprintf(ruleClass_, sizeof ruleClass_, "%s", ruleClass);
  std::snprintf(parent_, sizeof parent_, "%s", parent);
}

void KF_rule_instance::SetParameters(const std::vector<std::string>& names, const std::vector<std::string>& values) {
  OM::OM__log(names_);
  OM::OM__log(values_);
  names_->Items() = names;
  values_->Items() = values;
}

void KF_rule_instance::SetExpressions(const std::vector<std::pair<std::string, tag_t>>& expressions) {
  OM::OM__log(expressionNames_);
  OM::OM__log(expressionTags_);
  expressionNames_->Items().clear();
  expressionTags_->Items().clear();
  for (const auto& [name, tag] : expressions) {
    expressionNames_->Items().push_back(name);
    expressionTags_->Items().push_back(tag);
    OM::OM_note_holder(tag, OmTag());
  }
}

void KF_rule_instance::SetFrec(tag_t frec) {
  OM::LogForWrite(this);
  frec_ = frec;
}

namespace KnowledgeRule {
std::vector<KF_rule_instance*> Instances(const PART_part* part) {
  std::vector<KF_rule_instance*> list;
  if (part == nullptr) return list;
  for (tag_t tag : madeInstances())
    if (auto* instance = dynamic_cast<KF_rule_instance*>(OM::OM_object_of_tag(tag));
        instance != nullptr && PART_ask_part_of_object(tag) == part)
      list.push_back(instance);
  return list;
}
}  // namespace KnowledgeRule

// ---- calls ----------------------------------------------------------------------------------
int VD_KF_create_child_rule(tag_t partTag, const char* parent, const char* name, const char* ruleClass, int count,
                            const char* const* names, const char* const* values, char** output) {
  Host::Log("VD_KF_create_child_rule", orNull(parent) + " " + orNull(name) + " " + orNull(ruleClass) + " " +
                                           std::to_string(count));
  if (output != nullptr) *output = nullptr;
  if (const long long status = Host::Answer("VD_KF_create_child_rule", 0); status != 0) return static_cast<int>(status);
  std::vector<std::string> nameList, valueList;
  std::vector<Value> parsed;
  for (int i = 0; i < count && names != nullptr && values != nullptr; ++i) {
    nameList.emplace_back(orNull(names[i]));
    valueList.emplace_back(orNull(values[i]));
    parsed.push_back(parse(valueList.back()));
    if (parsed.back().kind == Kind::Bad) {
      if (output != nullptr) *output = SM_string_copy(("cannot read the value of " + nameList.back()).c_str());
      return KnowledgeRule::kBadValue;
    }
  }
  if (name == nullptr || *name == '\0' || std::strlen(name) >= KF_rule_instance::kNameSize || ruleClass == nullptr)
    return KnowledgeRule::kBadValue;
  PART_part* part = PART_of_tag(partTag);
  KF_rule_instance* instance = findInstance(part, name);
  const bool manikin = std::strcmp(ruleClass, kManikinClass) == 0;

  std::vector<std::pair<std::string, tag_t>> expressions;
  for (std::size_t i = 0; i < parsed.size(); ++i) {
    const std::string& parameter = nameList[i];
    if (parsed[i].kind == Kind::Reference) {
      expressions.emplace_back(parameter, parsed[i].reference);
    } else if ((parsed[i].kind == Kind::Integer || parsed[i].kind == Kind::Real) &&
               (endsWith(parameter, "_exp") || endsWith(parameter, "_exp_v1"))) {
      const UNIT_unit* unit = UNIT_ask_default_unit_obj_for_measure(isAngle(parameter) ? 7 : 0);
      expressions.emplace_back(parameter, EXP_expression::Make(part, trimmed(valueList[i]).c_str(), parsed[i].number,
                                                               unit)->OmTag());
    }
  }
  if (manikin) {
    // The manikin rule measures its seven joint angles in expressions of its own.
    const auto before = instance != nullptr ? instance->Expressions() : decltype(expressions){};
    for (const char* joint : kJointExpressions) {
      tag_t tag = 0;
      for (const auto& [held, heldTag] : before)
        if (held == joint) tag = heldTag;
      if (tag == 0) tag = EXP_expression::Make(part, "0", 0, UNIT_ask_default_unit_obj_for_measure(7))->OmTag();
      expressions.emplace_back(joint, tag);
    }
  }
  if (instance == nullptr) {
    instance = newInstance(part);
    instance->Fill(name, ruleClass, parent != nullptr ? parent : "root:");
    if (Host::Answer("VD_KF_create_child_rule.no_feature", 0) == 0) {
      FEATURE_PARMS* parms = manikin ? Host::CreateInPart<VD::Manikin>(part) : nullptr;
      FEATURE_RECORD* frec = FEATURE_RECORD::Create(part, parms);
      if (parms != nullptr) parms->SetFeatureRecord(frec);
      frec->set_name(name);
      instance->SetFrec(frec->OmTag());
      linkedRecords().insert(frec->OmTag());
    }
  }
  instance->SetParameters(nameList, valueList);
  instance->SetExpressions(expressions);
  if (manikin) {
    // Each build of the rule has the checker its parameters ask for: one
    // made when it has none, the one it has removed when they ask for none.
    KF_rule_instance* checker = findInstance(part, checkerName(name));
    const bool wanted = asksForChecker(nameList, valueList);
    if (wanted && checker == nullptr) {
      checker = newInstance(part);
      checker->Fill(checkerName(name).c_str(), "%qd_vd_2dmanikin_checker", ("root:" + std::string(name) + ":").c_str());
    } else if (!wanted && checker != nullptr) {
      checker->destroy();
    }
  }
  return 0;
}

#define STAMVIK_KF_ASK(call, kindTest, store)                         \
  Host::Log(call, orNull(nameChain));                                  \
  Value value;                                                         \
  if (const int status = lookUp(nameChain, &value); status != 0) return status; \
  if (!(kindTest)) return KnowledgeRule::kWrongType;                   \
  store;                                                               \
  return 0;

int VD_KF_ask_integer(const char* nameChain, int* out) {
  STAMVIK_KF_ASK("VD_KF_ask_integer", value.kind == Kind::Integer && std::fabs(value.number) < 2147483648.0,
                 if (out != nullptr) *out = static_cast<int>(value.number))
}
int VD_KF_ask_number(const char* nameChain, double* out) {
  STAMVIK_KF_ASK("VD_KF_ask_number", value.kind == Kind::Integer || value.kind == Kind::Real,
                 if (out != nullptr) *out = value.number)
}
int VD_KF_ask_point(const char* nameChain, double* out) {
  STAMVIK_KF_ASK("VD_KF_ask_point", value.kind == Kind::Point, if (out != nullptr) std::memcpy(out, value.xyz, sizeof value.xyz))
}
int VD_KF_ask_vector(const char* nameChain, double* out) {
  STAMVIK_KF_ASK("VD_KF_ask_vector", value.kind == Kind::Vector, if (out != nullptr) std::memcpy(out, value.xyz, sizeof value.xyz))
}
int VD_KF_get_string_list(const char* nameChain, int* count, char*** out) {
  STAMVIK_KF_ASK("VD_KF_get_string_list", value.kind == Kind::TextList || (value.kind == Kind::NumberList && value.numbers.empty()), {
    if (count != nullptr) *count = static_cast<int>(value.texts.size());
    if (out != nullptr) *out = textsOut(value.texts);
  })
}
int VD_KF_ask_objs_list(const char* nameChain, int* count, tag_t** out) {
  const auto references = [](const Value& list) {
    for (const Value& item : list.items)
      if (item.kind != Kind::Reference) return false;
    return true;
  };
  STAMVIK_KF_ASK("VD_KF_ask_objs_list", (value.kind == Kind::List || value.kind == Kind::NumberList) && references(value), {
    if (count != nullptr) *count = static_cast<int>(value.items.size());
    if (out != nullptr) {
      *out = nullptr;
      if (!value.items.empty()) {
        *out = static_cast<tag_t*>(SM_alloc(value.items.size() * sizeof(tag_t)));
        for (std::size_t i = 0; i < value.items.size(); ++i) (*out)[i] = value.items[i].reference;
      }
    }
  })
}
int VD_KF_ask_boolean(const char* nameChain, bool* out) {
  STAMVIK_KF_ASK("VD_KF_ask_boolean", value.kind == Kind::Boolean, if (out != nullptr) *out = value.boolean)
}
int VD_KF_get_string(const char* nameChain, char** out) {
  STAMVIK_KF_ASK("VD_KF_get_string", value.kind == Kind::Text, if (out != nullptr) *out = SM_string_copy(value.text.c_str()))
}
int VD_KF_ask_string(const char* nameChain, char** out) {
  STAMVIK_KF_ASK("VD_KF_ask_string", value.kind == Kind::Text, if (out != nullptr) *out = SM_string_copy(value.text.c_str()))
}
int VD_KF_ask_number_list(const char* nameChain, int* count, double** out) {
  STAMVIK_KF_ASK("VD_KF_ask_number_list", value.kind == Kind::NumberList || (value.kind == Kind::TextList && value.texts.empty()), {
    if (count != nullptr) *count = static_cast<int>(value.numbers.size());
    if (out != nullptr) {
      *out = nullptr;
      if (!value.numbers.empty()) {
        *out = static_cast<double*>(SM_alloc(value.numbers.size() * sizeof(double)));
        std::memcpy(*out, value.numbers.data(), value.numbers.size() * sizeof(double));
      }
    }
  })
}
int VD_KF_ask_string_list(const char* nameChain, int* count, char*** out) {
  STAMVIK_KF_ASK("VD_KF_ask_string_list", value.kind == Kind::TextList || (value.kind == Kind::NumberList && value.numbers.empty()), {
    if (count != nullptr) *count = static_cast<int>(value.texts.size());
    if (out != nullptr) *out = textsOut(value.texts);
  })
}
#undef STAMVIK_KF_ASK

bool VD_KF_ask_rule_exist(const char* instanceChain, const char* attribute) {
  Host::Log("VD_KF_ask_rule_exist", orNull(instanceChain) + " " + orNull(attribute));
  Value value;
  return lookUp((orNull(instanceChain) + orNull(attribute) + ":").c_str(), &value) == 0;
}

int KBL_evaluate_rule_to_value(const char* nameChain, KBL_value_t* out) {
  Host::Log("KBL_evaluate_rule_to_value", orNull(nameChain));
  *out = KBL_value_t{};
  Value value;
  if (const int status = lookUp(nameChain, &value); status != 0) return status;
  if (value.kind == Kind::Bad) return KnowledgeRule::kBadValue;
  *out = valueOut(value);
  return 0;
}

int KBL_list_length(const KBL_list_s* list) {
  int length = 0;
  for (; list != nullptr; list = list->tail) ++length;
  return length;
}

bool KBL_list_pop(KBL_list_s** list, KBL_value_t* head) {
  if (list == nullptr || *list == nullptr) return false;
  KBL_list_s* first = *list;
  *head = first->head;
  *list = first->tail;
  SM_free(first);
  return true;
}

void KBL_free_value(KBL_value_t* value) {
  if (value == nullptr) return;
  SM_free(value->string);
  KBL_value_t head;
  while (KBL_list_pop(&value->list, &head)) KBL_free_value(&head);
  *value = KBL_value_t{};
}

tag_t KLINK_ask_klink_of_object(tag_t object) {
  Host::Log("KLINK_ask_klink_of_object", "tag=" + std::to_string(object));
  return linkedRecords().count(object) != 0 && OM::OM_object_of_tag(object) != nullptr ? object : 0;
}

int KLINK_ask_rule_instance(tag_t, tag_t link, tag_t* instance) {
  *instance = 0;
  if (link == 0) return KnowledgeRule::kNoInstance;
  for (const KF_rule_instance* one : KnowledgeRule::Instances(PART_ask_part_of_object(link)))
    if (one->ask_frec() == link) {
      *instance = one->OmTag();
      return 0;
    }
  return KnowledgeRule::kNoInstance;
}

char* IM_ask_instance_name(tag_t tag) {
  const auto* instance = dynamic_cast<const KF_rule_instance*>(OM::OM_object_of_tag(tag));
  return instance != nullptr ? SM_string_copy(("root:" + std::string(instance->ask_name()) + ":").c_str()) : nullptr;
}

int VD_get_instance_name_by_feature_tag(tag_t eid, char** name) {
  Host::Log("VD_get_instance_name_by_feature_tag", "tag=" + std::to_string(eid));
  if (name != nullptr) *name = nullptr;
  for (const KF_rule_instance* instance : KnowledgeRule::Instances(PART_ask_part_of_object(eid))) {
    if (eid != 0 && instance->ask_frec() == eid) {
      if (name != nullptr) *name = SM_string_copy(instance->ask_name());
      return 0;
    }
  }
  return KnowledgeRule::kNoInstance;
}

tag_t CM_ask_eid_of_object(const FEATURE_RECORD* frec) { return frec != nullptr ? frec->OmTag() : 0; }

int VD_ask_kf_expression_tag(const char* instanceName, const char* expressionName, tag_t* tag) {
  Host::Log("VD_ask_kf_expression_tag", orNull(instanceName) + " " + orNull(expressionName));
  if (tag != nullptr) *tag = 0;
  const KF_rule_instance* instance = findInstance(PART_ask_work_part(), orNull(instanceName));
  if (instance == nullptr) return KnowledgeRule::kNoInstance;
  for (const auto& [name, held] : instance->Expressions()) {
    if (same(name, orNull(expressionName))) {
      if (tag != nullptr) *tag = held;
      return 0;
    }
  }
  return KnowledgeRule::kNoAttribute;
}

int VD_ask_kf_expression_name(const char* instanceName, const char* expressionName, char* name, int capacity) {
  if (name != nullptr && capacity > 0) name[0] = '\0';
  tag_t tag = 0;
  if (const int status = VD_ask_kf_expression_tag(instanceName, expressionName, &tag); status != 0) return status;
  if (name != nullptr && capacity > 0)
    std::snprintf(name, static_cast<std::size_t>(capacity), "%s_%s", instanceName, expressionName);
  return 0;
}

void VD_KF_auto_get_next_rule_name(const char* prefix, char** name) {
  Host::Log("VD_KF_auto_get_next_rule_name", orNull(prefix));
  for (int n = 1;; ++n) {
    const std::string candidate = std::string(prefix != nullptr ? prefix : "") + std::to_string(n);
    if (findInstance(PART_ask_work_part(), candidate) == nullptr) {
      if (name != nullptr) *name = SM_string_copy(candidate.c_str());
      return;
    }
  }
}

bool VD_KF_get_rule_exist(const char* parent, const char* name) {
  Host::Log("VD_KF_get_rule_exist", orNull(parent) + " " + orNull(name));
  const KF_rule_instance* instance = findInstance(PART_ask_work_part(), orNull(name));
  return instance != nullptr && same(instance->ask_parent(), orNull(parent));
}

int VD_get_feature_tag_and_name(const char* instanceName, tag_t* frec, char** name) {
  Host::Log("VD_get_feature_tag_and_name", orNull(instanceName));
  if (frec != nullptr) *frec = 0;
  if (name != nullptr) *name = nullptr;
  const KF_rule_instance* instance = findInstance(PART_ask_work_part(), orNull(instanceName));
  if (instance == nullptr) return KnowledgeRule::kNoInstance;
  if (frec != nullptr) *frec = instance->ask_frec();
  if (name != nullptr && instance->ask_frec() != 0) *name = SM_string_copy(instance->ask_name());
  return 0;
}

int VD_ask_expressions_of_kf_feature(const char* instanceName, int* count, tag_t** tags, char*** names) {
  Host::Log("VD_ask_expressions_of_kf_feature", orNull(instanceName));
  if (count != nullptr) *count = 0;
  if (tags != nullptr) *tags = nullptr;
  if (names != nullptr) *names = nullptr;
  const KF_rule_instance* instance = findInstance(PART_ask_work_part(), orNull(instanceName));
  if (instance == nullptr) return KnowledgeRule::kNoInstance;
  const auto expressions = instance->Expressions();
  if (expressions.empty()) return 0;
  std::vector<std::string> texts;
  if (count != nullptr) *count = static_cast<int>(expressions.size());
  if (tags != nullptr) *tags = static_cast<tag_t*>(SM_alloc(expressions.size() * sizeof(tag_t)));
  for (std::size_t i = 0; i < expressions.size(); ++i) {
    if (tags != nullptr) (*tags)[i] = expressions[i].second;
    texts.push_back(expressions[i].first);
  }
  if (names != nullptr) *names = textsOut(texts);
  return 0;
}

void VD_remove_unused_kf_feature_expressions(const char* instance, int count, const tag_t* previous) {
  std::string args = orNull(instance) + " " + std::to_string(count);
  for (int i = 0; i < count && previous != nullptr; ++i) args += " tag=" + std::to_string(previous[i]);
  Host::Log("VD_remove_unused_kf_feature_expressions", args);
}

int VD_KF_get_instance_namechain(const char* attribute, char** nameChain) {
  Host::Log("VD_KF_get_instance_namechain", orNull(attribute));
  if (nameChain != nullptr) *nameChain = nullptr;
  Value value;
  if (const int status = lookUp(attribute, &value); status != 0) return status;
  if (value.kind != Kind::Text) return KnowledgeRule::kWrongType;
  std::string instance, name;
  splitChain(attribute, &instance, &name);
  if (nameChain != nullptr) *nameChain = SM_string_copy(("root:" + instance + ":" + value.text + ":").c_str());
  return 0;
}

char* VD_get_rule_string(const char* nameChain) {
  Host::Log("VD_get_rule_string", orNull(nameChain));
  std::string chain = nameChain != nullptr ? nameChain : "";
  if (chain.rfind("root:", 0) == 0) chain.erase(0, 5);
  if (!chain.empty() && chain.back() == ':') chain.pop_back();
  return SM_string_copy(chain.c_str());
}

int KBL_init_part(PART_part* part, tag_t* handle) {
  const tag_t tag = part != nullptr ? part->OmTag() : 0;
  Host::Log("KBL_init_part", std::to_string(tag));
  if (handle != nullptr) *handle = tag;
  return 0;
}

tag_t IM_ask_instance_manager(tag_t object) {
  Host::Log("IM_ask_instance_manager", "tag=" + std::to_string(object));
  if (dynamic_cast<const PART_part*>(OM::OM_object_of_tag(object)) != nullptr) return object;
  const PART_part* part = PART_ask_part_of_object(object);
  return part != nullptr ? part->OmTag() : 0;
}

int KBL_delete_instance_rule(tag_t manager, const char* ruleString, const char* parent) {
  Host::Log("KBL_delete_instance_rule", "tag=" + std::to_string(manager) + " " + orNull(ruleString) + " " + orNull(parent));
  const std::string rule = orNull(ruleString);
  const std::string name = rule.substr(rule.find_last_of(':') == std::string::npos ? 0 : rule.find_last_of(':') + 1);
  KF_rule_instance* instance = findInstance(PART_of_tag(manager), name);
  if (instance == nullptr) return KnowledgeRule::kNoInstance;
  instance->destroy();
  return 0;
}

char* VD_reference_object(tag_t object) { return SM_string_copy(("tag(" + std::to_string(object) + ")").c_str()); }

int VD_create_expression_value_units(const char* rule, const char* parameter, const char* text, const UNIT_unit* unit,
                                     char** output) {
  Host::Log("VD_create_expression_value_units", orNull(rule) + " " + orNull(parameter) + " " + orNull(text));
  if (output != nullptr) *output = nullptr;
  if (const long long status = Host::Answer("VD_create_expression_value_units." + orNull(parameter), 0); status != 0)
    return static_cast<int>(status);
  double value = 0;
  if (!EXP_parse_number(text, &value) || std::strlen(text) >= EXP_expression::kTextSize)
    return Expression::kBadText;
  EXP_expression* expression = EXP_expression::Make(nullptr, text, value, unit);
  if (output != nullptr) *output = VD_reference_object(expression->OmTag());
  return 0;
}

}  // namespace KTX

namespace KTX {
int UDFS_lib_load_configuration() {
  Host::Log("UDFS_lib_load_configuration");
  return static_cast<int>(Host::Answer("UDFS_lib_load_configuration", 0));
}
void UDFS_config_library(const char* library, const char* configuration) {
  Host::Log("UDFS_config_library", orNull(library) + " " + orNull(configuration));
}
}  // namespace KTX
