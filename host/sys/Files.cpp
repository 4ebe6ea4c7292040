#include "sys/Files.hpp"

#include <sys/stat.h>

#include <string>

#include "sys/CallLog.hpp"

namespace KTX {

int CFI_ask_file_exist(const char* name) {
  Host::Log("CFI_ask_file_exist", name != nullptr ? name : "(null)");
  struct stat info {};
  return name != nullptr && *name != '\0' && ::stat(name, &info) == 0 ? 0 : 1;
}

}  // namespace KTX
