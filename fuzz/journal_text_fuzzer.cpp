// The journal reader: any text it reads is written back to text that reads
// to the same journal, and that text is written again unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "jam/Journal.hpp"
#include "sys/Error.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  KTX::JAM::Journal first;
  try {
    first = KTX::JAM::ReadJournal(text);
  } catch (const KTX::Error::Exception&) {
    return 0;  // refused, as it may be
  }
  const std::string written = KTX::JAM::WriteJournal(first);
  KTX::JAM::Journal again;
  try {
    again = KTX::JAM::ReadJournal(written);
  } catch (const KTX::Error::Exception&) {
    std::abort();  // the reader refuses what the writer wrote
  }
  if (!(again == first)) std::abort();
  if (KTX::JAM::WriteJournal(again) != written) std::abort();
  return 0;
}
