// Copies of a feature's sections and collectors for a builder opened on it,
// and the commit's write of a copy's contents back into the feature's own.
// Internal to the library.
//
// A builder opened on a feature works on copies of what the feature selects,
// as it does on copies of its expressions: a curve a script adds to the
// builder's section, or a section it empties, reaches the feature only when a
// commit writes it; a refused commit, a failed one (its mark takes the write
// back) or a builder let go without a commit leaves the feature's section as
// it was. The feature keeps its own section and collector (their tags, which
// its record and other features refer to).
#pragma once
#include <vector>

#include "CommitPath.hpp"
#include "Support.hpp"
#include "sel/Selection.hpp"
#include "sys/Memory.hpp"

namespace KTX::Stamvik {

// A section's loops as kind and curves, in order.
inline std::vector<std::pair<int, std::vector<tag_t>>> LoopsOf(const SC_section* section) {
  std::vector<std::pair<int, std::vector<tag_t>>> loops;
  for (int i = 0; section != nullptr && i < section->ask_loop_count(); ++i) {
    const auto* loop = dynamic_cast<const SC_loop*>(OM::OM_object_of_tag(section->ask_nth_loop(i)));
    if (loop == nullptr) continue;
    int count = 0;
    HostBlock<tag_t> curves;
    loop->ask_curves(&count, curves.out());
    loops.emplace_back(loop->ask_kind(), std::vector<tag_t>(curves.get(), curves.get() + count));
  }
  return loops;
}

inline bool SameContents(const SC_section* a, const SC_section* b) {
  if (a == b) return true;
  if (a == nullptr || b == nullptr) return false;
  const std::vector<SC_rule_s> ra = a->ask_rules_data(), rb = b->ask_rules_data();
  if (ra.size() != rb.size()) return false;
  for (std::size_t i = 0; i < ra.size(); ++i)
    if (ra[i].kind != rb[i].kind || ra[i].entities != rb[i].entities) return false;
  return LoopsOf(a) == LoopsOf(b);
}

// Gives `into` the rules and loops of `from` (nothing when they hold the
// same): 0, or the host's failure. With `dropGone`, a rule's entity that no
// longer exists is left out (a rule left with none goes), as the host takes
// no rule naming one: a feature's section may still name a curve its input
// feature has since made anew, which an edit then replaces.
inline int WriteContents(SC_section* into, const SC_section* from, bool dropGone = false) {
  if (into == nullptr || from == nullptr || SameContents(into, from)) return 0;
  into->remove_all();
  std::vector<SC_rule_s> rules = from->ask_rules_data();
  if (dropGone) {
    for (SC_rule_s& rule : rules)
      std::erase_if(rule.entities, [](tag_t t) { return OM::OM_object_of_tag(t) == nullptr; });
    std::erase_if(rules, [](const SC_rule_s& rule) { return rule.entities.empty(); });
  }
  if (!rules.empty()) {
    std::vector<int> kinds;
    std::vector<SC_input_data*> data;
    for (const SC_rule_s& rule : rules) {
      kinds.push_back(rule.kind);
      data.push_back(SC_init_input_data(rule.kind));
      data.back()->entities = rule.entities;
    }
    const int rc = into->add_rules(static_cast<int>(kinds.size()), kinds.data(), data.data(), 0, 0, 0, 0, false);
    for (SC_input_data* d : data) SC_free_input_data(d);
    if (rc != 0) return rc;
  }
  for (const auto& [kind, curves] : LoopsOf(from))
    into->add_loop(kind, static_cast<int>(curves.size()), curves.data());
  return 0;
}

// A new section in the part with the tolerances, order and associativity of
// `of` and its rules and loops, which the caller owns; null for none.
inline SC_section* CopyOfSection(const SC_section* of, tag_t part) {
  if (of == nullptr) return nullptr;
  double chaining = 0, distance = 0, angle = 0;
  of->ask_tolerances(&chaining, &distance, &angle);
  SC_section* copy = SC_sectionFactory::object(part, chaining, distance, angle);
  if (of->ask_loops_ordered()) copy->OrderLoops();
  if (of->ask_associative()) copy->set_associative(true);
  if (of->ask_in_context()) copy->set_in_context(true);
  if (const int rc = WriteContents(copy, of, true); rc != 0) {
    copy->cascade_destroy();
    ERROR_raise("HeldSelections", 75, rc, "cannot copy the section's rules");
  }
  return copy;
}

inline bool SameContents(const SC_collector* a, const SC_collector* b) {
  if (a == b) return true;
  if (a == nullptr || b == nullptr) return false;
  if (a->ask_rule_kinds() != b->ask_rule_kinds() || a->ask_count() != b->ask_count()) return false;
  for (int i = 0; i < a->ask_count(); ++i)
    if (a->ask_nth(i) != b->ask_nth(i)) return false;
  return true;
}

// Gives `into` the objects and rule kinds of `from` (nothing when they hold
// the same).
inline void WriteContents(SC_collector* into, const SC_collector* from) {
  if (into == nullptr || from == nullptr || SameContents(into, from)) return;
  const std::vector<int> kinds = from->ask_rule_kinds();
  std::vector<tag_t> objects;
  for (int i = 0; i < from->ask_count(); ++i) objects.push_back(from->ask_nth(i));
  if (kinds.empty()) {
    // Filled object by object: no rules.
    into->replace_rules(0, nullptr);
    into->set_tags(static_cast<int>(objects.size()), objects.data());
    return;
  }
  // The objects go with the first rule; the kinds keep their order.
  std::vector<SC_rule*> rules;
  for (std::size_t i = 0; i < kinds.size(); ++i)
    rules.push_back(SC_rule::Make(kinds[i], i == 0 ? static_cast<int>(objects.size()) : 0, objects.data()));
  into->replace_rules(static_cast<int>(rules.size()), rules.data());
  for (SC_rule* rule : rules) rule->destroy();
}

inline SC_collector* CopyOfCollector(const SC_collector* of, tag_t part) {
  if (of == nullptr) return nullptr;
  SC_collector* copy = SC_collectorFactory::object(part);
  WriteContents(copy, of);
  return copy;
}

}  // namespace KTX::Stamvik
