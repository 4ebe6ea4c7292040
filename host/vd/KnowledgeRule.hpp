// The knowledge-rule library as far as the vehicle-design builders reach it:
// rule instances by name under the part's root rule "root:", each with its
// parameters as the rule language's value texts, the feature the host makes
// for it and the expressions it binds or makes. Attributes are read by a
// name chain "root:<instance>:<attribute>:"; names match ignoring ASCII case.
#pragma once
#include <string>
#include <vector>

#include "exp/Expression.hpp"
#include "feat/Builder.hpp"
#include "om/HostClass.hpp"

namespace KTX {

namespace KnowledgeRule {
// Message numbers of the knowledge-rule calls (the stand-in's own).
enum Message : int {
  kNoInstance = 840901,   // no rule instance of that name in the work part
  kNoAttribute = 840902,  // the instance has no attribute of that name
  kWrongType = 840903,    // the attribute's value is of another type
  kBadValue = 840904,     // a value text the rule language cannot read
};
}  // namespace KnowledgeRule

// One rule instance of a part. Its state is plain fields and arrays, so that
// undo restores it like any host object.
class KTX_HOST_API KF_rule_instance : public OM::TaggedObject {
  KTX_HOST_OBJECT(KF_rule_instance, "KTX::KF_rule_instance")
 public:
  static constexpr int kNameSize = 133;
  const char* ask_name() const { return name_; }
  const char* ask_rule_class() const { return ruleClass_; }
  // The name chain of the instance it is a child of ("root:" for the root's children).
  const char* ask_parent() const { return parent_; }
  tag_t ask_frec() const { return frec_; }
  std::vector<std::string> ParameterNames() const;
  std::vector<std::string> ParameterValues() const;
  // The expressions it holds: the attribute that names each, and its tag.
  std::vector<std::pair<std::string, tag_t>> Expressions() const;

  // Used by the store.
  void Fill(const char* name, const char* ruleClass, const char* parent);
  void SetParameters(const std::vector<std::string>& names, const std::vector<std::string>& values);
  void SetExpressions(const std::vector<std::pair<std::string, tag_t>>& expressions);
  void SetFrec(tag_t frec);

 protected:
  KF_rule_instance(int classId, void* context);
  ~KF_rule_instance() override;

 private:
  char name_[kNameSize];
  char ruleClass_[64];
  char parent_[kNameSize];
  tag_t frec_;
  OM::StringVla* names_;
  OM::StringVla* values_;
  OM::StringVla* expressionNames_;
  OM::TagVla* expressionTags_;
};

namespace VD {
// The parameters of a manikin rule instance's feature: they hold nothing of
// their own (the rule holds the manikin); their class names the feature.
class KTX_HOST_API Manikin : public FEATURE_PARMS {
  KTX_HOST_OBJECT(Manikin, "KTX::VD::Manikin")
 protected:
  Manikin(int classId, void* context) : FEATURE_PARMS(classId, context) {}
};
}  // namespace VD

// Creates the child instance (or, when one of that name exists, replaces its
// parameters, keeping its feature). Lists of `count` names and value texts.
// 0, the scripted status "VD_KF_create_child_rule", or kBadValue (nothing made).
// `output` (may be null) receives a new text of the rule's messages.
KTX_HOST_API int VD_KF_create_child_rule(tag_t part, const char* parent, const char* name, const char* ruleClass,
                                         int count, const char* const* names, const char* const* values,
                                         char** output);
// Typed reads by name chain: 0, or kNoInstance / kNoAttribute / kWrongType
// with the out-values untouched. Texts and lists are new host blocks. A
// number reads an integer too; a list of objects reads references (`tag(<n>)`).
KTX_HOST_API int VD_KF_ask_integer(const char* nameChain, int* value);
KTX_HOST_API int VD_KF_ask_number(const char* nameChain, double* value);
KTX_HOST_API int VD_KF_ask_boolean(const char* nameChain, bool* value);
KTX_HOST_API int VD_KF_get_string(const char* nameChain, char** text);
KTX_HOST_API int VD_KF_ask_string(const char* nameChain, char** text);
KTX_HOST_API int VD_KF_ask_point(const char* nameChain, double point[3]);
KTX_HOST_API int VD_KF_ask_vector(const char* nameChain, double vector[3]);
KTX_HOST_API int VD_KF_ask_number_list(const char* nameChain, int* count, double** values);
KTX_HOST_API int VD_KF_ask_string_list(const char* nameChain, int* count, char*** texts);
KTX_HOST_API int VD_KF_get_string_list(const char* nameChain, int* count, char*** texts);
KTX_HOST_API int VD_KF_ask_objs_list(const char* nameChain, int* count, tag_t** objects);
// Whether the instance (a name chain "root:<instance>:") has the attribute.
KTX_HOST_API bool VD_KF_ask_rule_exist(const char* instanceChain, const char* attribute);

// A rule's value as the rule language evaluates it. Lists are chains of
// cells; a value owns its text and its list (host blocks).
enum KBL_value_type : int {
  KBL_TYPE_NONE = 0,
  KBL_TYPE_INTEGER,
  KBL_TYPE_NUMBER,
  KBL_TYPE_BOOLEAN,
  KBL_TYPE_STRING,
  KBL_TYPE_OBJECT,
  KBL_TYPE_POINT,
  KBL_TYPE_VECTOR,
  KBL_TYPE_LIST,
};
struct KBL_list_s;
struct KBL_value_t {
  int type = KBL_TYPE_NONE;
  int integer = 0;
  double number = 0;
  bool logical = false;
  char* string = nullptr;
  tag_t object = 0;
  double xyz[3] = {0, 0, 0};
  KBL_list_s* list = nullptr;
};
struct KBL_list_s {
  KBL_value_t head;
  KBL_list_s* tail;
};
// The attribute's value: 0, or the read's errors (the value then NONE).
KTX_HOST_API int KBL_evaluate_rule_to_value(const char* nameChain, KBL_value_t* value);
KTX_HOST_API int KBL_list_length(const KBL_list_s* list);
// Takes the first cell off the list: its value goes to `head` (the caller's
// to free), the cell itself is freed. False on an empty list.
KTX_HOST_API bool KBL_list_pop(KBL_list_s** list, KBL_value_t* head);
// Frees what the value owns (its text, its list and their values).
KTX_HOST_API void KBL_free_value(KBL_value_t* value);

// A record made for a rule instance carries a knowledge link (the stand-in's
// link is the record's own tag): 0 for any other object.
KTX_HOST_API tag_t KLINK_ask_klink_of_object(tag_t object);
// The rule instance of a link: 0 and its tag, or kNoInstance (tag 0) once the
// instance is gone.
KTX_HOST_API int KLINK_ask_rule_instance(tag_t manager, tag_t link, tag_t* instance);
// The instance's name chain "root:<name>:", the prefix of its attributes'
// names: a new text, null for no instance.
KTX_HOST_API char* IM_ask_instance_name(tag_t instance);

// The instance whose feature has that entity id: 0 and a new text, or kNoInstance.
KTX_HOST_API int VD_get_instance_name_by_feature_tag(tag_t eid, char** name);
// The entity id of a feature record (its tag).
KTX_HOST_API tag_t CM_ask_eid_of_object(const FEATURE_RECORD* frec);
// The expression the instance holds under that attribute name: 0 and its
// tag, or kNoInstance / kNoAttribute with the tag 0.
KTX_HOST_API int VD_ask_kf_expression_tag(const char* instance, const char* expressionName, tag_t* tag);
// Its name in the part, "<instance>_<attribute>", cut to capacity - 1.
KTX_HOST_API int VD_ask_kf_expression_name(const char* instance, const char* expressionName, char* name,
                                           int capacity);

// The first free name "<prefix><n>", n from 1, in the work part (a new text).
KTX_HOST_API void VD_KF_auto_get_next_rule_name(const char* prefix, char** name);
// Whether the work part has a rule instance of that name under the parent
// (a name chain such as "Root:"; both ignoring case).
KTX_HOST_API bool VD_KF_get_rule_exist(const char* parent, const char* name);
// The instance's feature and its name: 0, or kNoInstance (tag 0, name null).
KTX_HOST_API int VD_get_feature_tag_and_name(const char* instance, tag_t* frec, char** name);
// The instance's expressions: new arrays of tags and names (count 0, null arrays for none).
KTX_HOST_API int VD_ask_expressions_of_kf_feature(const char* instance, int* count, tag_t** tags, char*** names);
// Recorded only: which expressions the rule no longer uses are removed.
KTX_HOST_API void VD_remove_unused_kf_feature_expressions(const char* instance, int count, const tag_t* previous);
// The name chain of the instance that a text attribute names
// ("root:VD_2DM1:checker_instance:" -> "root:VD_2DM1:VD_2DM1_checker:").
KTX_HOST_API int VD_KF_get_instance_namechain(const char* attribute, char** nameChain);
// The rule string of a name chain, relative to "root:" ("VD_2DM1:VD_2DM1_checker").
KTX_HOST_API char* VD_get_rule_string(const char* nameChain);
// Readies the part's knowledge rules; the handle (the part's tag) is for the
// rule calls that follow. Recorded; always 0.
KTX_HOST_API int KBL_init_part(PART_part* part, tag_t* handle);
// The instance manager of the part of that object (the part's tag stands for
// it).
KTX_HOST_API tag_t IM_ask_instance_manager(tag_t object);
// Deletes the instance the rule string names under the parent: 0, or kNoInstance.
KTX_HOST_API int KBL_delete_instance_rule(tag_t manager, const char* ruleString, const char* parent);
// The rule language's reference to an object: "tag(<n>)" (a new text).
KTX_HOST_API char* VD_reference_object(tag_t object);
// A new expression of the text in the unit for the rule's parameter, and its
// reference as `output`: 0, the scripted status
// "VD_create_expression_value_units.<parameter>", or the expression's error.
KTX_HOST_API int VD_create_expression_value_units(const char* rule, const char* parameter, const char* text,
                                                  const UNIT_unit* unit, char** output);

namespace KnowledgeRule {
// The rule instances alive in the part, in the order they were made.
KTX_HOST_API std::vector<KF_rule_instance*> Instances(const PART_part* part);
}  // namespace KnowledgeRule

}  // namespace KTX

namespace KTX {
// The user-defined-feature library's configuration: 0 when loaded, else the
// scripted "UDFS_lib_load_configuration"; configuring it is only recorded.
KTX_HOST_API int UDFS_lib_load_configuration();
KTX_HOST_API void UDFS_config_library(const char* library, const char* configuration);
}  // namespace KTX
