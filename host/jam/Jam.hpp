// The host's journaling library: call recording, the scripting type registry,
// file and class initializers, journaling pauses, the fault filter and the
// automatic-test output. What it records is kept as structured records (see
// jam/Journal.hpp) that tests read and that the stand-in writes as text.
#pragma once
#include <cstdint>

#include "Export.hpp"
#include "sys/Text.hpp"

namespace KTX::OM {
class Object;
}

// Handles of the scripting type registry. Opaque to the plug-in.
struct JAM_type_class_s;
struct JAM_type_enum_s;
struct JAM_type_struct_s;

// The host's point and orientation structures as they cross the scripting boundary.
struct JAM_point3d_s {
  double x, y, z;
};
struct JAM_matrix3x3_s {
  double xx, xy, xz, yx, yy, yz, zx, zy, zz;
};

// What the stand-in hands its fault filter: the platform's exception record
// (the code first), and how many records were open when the guarded export
// was entered, so that the records the fault abandoned can be closed.
struct JAM_exception_info_s {
  int code;
  int signal;             // 0 for a C++ exception
  const void* platform;   // siginfo_t* of the fault, or null
  int openRecordsAtEntry;
};

// Exception codes the stand-in uses: a processor fault carries its signal
// number; a C++ exception that leaves a guarded body carries this code.
inline constexpr int JAM_code_cxx_exception = 0x43585800;

namespace KTX::JAM {
class Call;
}

using JAM_replay_fn = void (*)(KTX::JAM::Call&);
using JAM_init_fn = void (*)();
using JAM_print_fn = void (*)(const KTX::tag_t* tag, const char* tagName, int level);
using JAM_defaults_fn = void (*)(KTX::tag_t tag, bool apply);

extern "C" {

// ---- recording ---------------------------------------------------------------
KTX_HOST_API void JAM_start_property_call(JAM_type_class_s* journalClass, int methodType, const char* property,
                                          JAM_replay_fn replay);
KTX_HOST_API void JAM_start_call(JAM_type_class_s* journalClass, const char* method, JAM_replay_fn replay);
KTX_HOST_API void JAM_set_method_attributes(int attributes);
KTX_HOST_API void JAM_this_ptr(const void* object);
KTX_HOST_API void JAM_this(KTX::tag_t tag);

KTX_HOST_API void JAM_in_logical(const bool* value, const char* name);
KTX_HOST_API void JAM_in_int(const int* value, const char* name);
KTX_HOST_API void JAM_in_double(const double* value, const char* name, int attribute);
KTX_HOST_API void JAM_in_enum(JAM_type_enum_s* enumeration, const void* value, const char* name);
KTX_HOST_API void JAM_in_tag(JAM_type_class_s* journalClass, const KTX::tag_t* value, const char* name);
KTX_HOST_API void JAM_in_string(const char* value, const char* name);
KTX_HOST_API void JAM_in_utf8_string(const TEXT_s* value, const char* name);
KTX_HOST_API void JAM_in_struct(JAM_type_struct_s* structure, const void* value, const char* name);
KTX_HOST_API void JAM_in_double_array(int count, const double* values, const char* name);
KTX_HOST_API void JAM_in_string_array(int count, const char** values, const char* name);
KTX_HOST_API void JAM_in_utf8_string_array(int count, const TEXT_s** values, const char* name);
KTX_HOST_API void JAM_in_struct_array(JAM_type_struct_s* structure, int count, const void* values, const char* name);

KTX_HOST_API void JAM_out_struct_array(JAM_type_struct_s* structure, int* count, const void* values, const char* name);

KTX_HOST_API void JAM_result_logical(const bool* value, const char* name);
KTX_HOST_API void JAM_result_int(const int* value, const char* name);
KTX_HOST_API void JAM_result_double(const double* value, const char* name);
KTX_HOST_API void JAM_result_enum(JAM_type_enum_s* enumeration, const void* value, const char* name);
KTX_HOST_API void JAM_result_ptr(JAM_type_class_s* journalClass, const void* value, const char* name);
KTX_HOST_API void JAM_result_tag(JAM_type_class_s* journalClass, const KTX::tag_t* value, const char* name);
KTX_HOST_API void JAM_result_string(const char** value, const char* name);
KTX_HOST_API void JAM_result_utf8_string(const TEXT_s** value, const char* name);
KTX_HOST_API void JAM_result_struct(JAM_type_struct_s* structure, const void* value, const char* name);
KTX_HOST_API void JAM_result_string_array(int* count, char*** values, const char* name);
KTX_HOST_API void JAM_result_utf8_string_array(int* count, const TEXT_s*** values, const char* name);

KTX_HOST_API void JAM_end_of_arguments();
KTX_HOST_API void JAM_end_call(int status);
KTX_HOST_API void JAM_AssociateTemplateTypeClass(const void* object, JAM_type_class_s* templateClass);

// How many records are open now (the guard notes it on entry).
KTX_HOST_API int JAM_ask_open_records();

// ---- errors and faults -------------------------------------------------------
// True when the journaling layer claims the error number as its own. A claimed
// error leaves the journalled body by exception; the stand-in closes the
// record that body had opened, marked failed.
KTX_HOST_API bool JAM_had_exception(int number);
// The fault filter: 1 handle (the export returns 65), 0 pass on, -1 resume.
// Closes, marked failed, every record opened since the guarded export began.
KTX_HOST_API int JAM_wnt_exception(int code, void* information);

// ---- type registry -----------------------------------------------------------
KTX_HOST_API JAM_type_class_s* JAM_lookup_or_create_class(const char* name);
KTX_HOST_API JAM_type_class_s* JAM_lookup_or_create_template_class(const char* name, const char* templateName,
                                                                   const char* argument);
KTX_HOST_API JAM_type_enum_s* JAM_lookup_or_create_enum(const char* name, int valueSize);
KTX_HOST_API void JAM_add_enum_member(JAM_type_enum_s* enumeration, const char* member, int value);
KTX_HOST_API JAM_type_struct_s* JAM_lookup_struct(const char* name);
KTX_HOST_API JAM_type_class_s* JAM_create_class(const char* name, const char* parent);
KTX_HOST_API void JAM_destroy_class(const char* name, const char* parent);
KTX_HOST_API void JAM_declare_ptr_property_accessor(JAM_type_class_s* journalClass, const char* property,
                                                    JAM_replay_fn getter, int reserved, bool flag);
KTX_HOST_API void JAM_declare_tag_property_accessor(JAM_type_class_s* journalClass, const char* property,
                                                    JAM_replay_fn getter, int reserved, bool flag);
KTX_HOST_API void JAM_add_interface(JAM_type_class_s* journalClass, const char* interfaceName);
KTX_HOST_API void JAM_register_initialisation_function(const char* className, JAM_defaults_fn function);
KTX_HOST_API void JAM_test_register_print_fn(const char* className, JAM_print_fn function);
KTX_HOST_API void JAM_register_creator_method_name(const char* className, const char* method);

// ---- defaults ----------------------------------------------------------------
KTX_HOST_API void JAM_traverse_builder_objects(JAM_type_class_s* journalClass, KTX::tag_t tag, bool apply);
KTX_HOST_API void JAM_set_named_attribute_value(KTX::OM::Object* object, const char* path, const char* text);

// ---- automatic-test output ---------------------------------------------------
KTX_HOST_API void JAM_test_print_tag_start(KTX::tag_t tag, const char* tagName, int level);
KTX_HOST_API void JAM_test_print_tag_end(const char* tagName, int level);
KTX_HOST_API void JAM_test_print_method_start(const char* name);
KTX_HOST_API void JAM_test_print_method_end(const char* name);
KTX_HOST_API void JAM_test_print_error(const char* name, int status);
KTX_HOST_API void JAM_test_print_param_object(KTX::tag_t tag, const char* name, const char* className, int level);
KTX_HOST_API void JAM_test_print_param_ptr(const void* object, const char* name, const char* className, int level);
KTX_HOST_API void JAM_test_print_param_double(double value, const char* name, int level);
KTX_HOST_API void JAM_test_print_struct_start(const char* name, int level);
KTX_HOST_API void JAM_test_print_struct_end(const char* name, int level);
KTX_HOST_API void JAM_test_print_logical_prop(const char* getName, KTX::tag_t tag,
                                              int (*body)(KTX::OM::Object*, bool*), const char* name);
KTX_HOST_API void JAM_test_print_int_prop(const char* getName, KTX::tag_t tag, int (*body)(KTX::OM::Object*, int*),
                                          const char* name);
KTX_HOST_API void JAM_test_print_double_prop(const char* getName, KTX::tag_t tag,
                                             int (*body)(KTX::OM::Object*, double*), const char* name);
KTX_HOST_API void JAM_test_print_string_prop(const char* getName, KTX::tag_t tag,
                                             int (*body)(KTX::OM::Object*, char**), const char* name);
KTX_HOST_API void JAM_test_print_text_prop(const char* getName, KTX::tag_t tag,
                                           int (*body)(KTX::OM::Object*, TEXT_s**), const char* name);
KTX_HOST_API void JAM_test_print_enum_prop(const char* getName, KTX::tag_t tag, int (*body)(KTX::OM::Object*, int*),
                                           JAM_type_enum_s* enumeration, const char* enumName, const char* name);
KTX_HOST_API void JAM_test_print_object_prop(const char* getName, KTX::tag_t tag,
                                             int (*body)(KTX::OM::Object*, KTX::tag_t*), const char* name,
                                             const char* className);
KTX_HOST_API void JAM_test_print_subobjects_of_object(const KTX::tag_t* tag, const char* tagName, int level);
KTX_HOST_API void JAM_test_print_tag_of_class(KTX::tag_t tag, const char* className, const char* extra, int level);
KTX_HOST_API void JAM_test_print_call_custom_print_fn(const KTX::tag_t* tag, const char* tagName,
                                                      const char* className);

}  // extern "C"

namespace KTX::JAM {

// The base of every automation interface. It carries no operation of its
// own, so operation 0 of an interface is the interface's first.
class KTX_HOST_API IJAInterface {
 protected:
  IJAInterface() = default;
  ~IJAInterface() = default;
};

// A unit's set-up and destroy functions, registered by journal class name.
class KTX_HOST_API FileInitializer {
 public:
  FileInitializer(const char* className, JAM_init_fn initialize, JAM_init_fn destroy);
  ~FileInitializer();
  FileInitializer(const FileInitializer&) = delete;
  FileInitializer& operator=(const FileInitializer&) = delete;
  // Runs the set-up registered under the name. The host's own units
  // ("Expression", "Section", "SelectObject", ...) are known and do nothing;
  // a name nobody registered is logged and does nothing either.
  static void Initialize(const char* className);

 private:
  const char* className_;
};

// A class's journalled and unjournalled interface implementations.
class KTX_HOST_API ClassInitializer {
 public:
  ClassInitializer(const char* className, IJAInterface* journalled, IJAInterface* unjournalled);
  ~ClassInitializer();
  ClassInitializer(const ClassInitializer&) = delete;
  ClassInitializer& operator=(const ClassInitializer&) = delete;
  static IJAInterface* GetJournalledInterface(const char* className);    // null when unknown
  static IJAInterface* GetUnjournalledInterface(const char* className);  // null when unknown

 private:
  const char* className_;
};

// While one exists, nothing is recorded.
class KTX_HOST_API JournalPauser {
 public:
  JournalPauser();
  ~JournalPauser();
  JournalPauser(const JournalPauser&) = delete;
  JournalPauser& operator=(const JournalPauser&) = delete;
  static bool Paused();
};

class KTX_HOST_API Autotest {
 public:
  static bool APIPrintEnabled(const char* className);
  static int m_objectDetails;
  static int m_subobjectNesting;
  // Test switch: which classes print (all when "*").
  static void EnableAPIPrint(const char* className, bool on);
};

}  // namespace KTX::JAM
