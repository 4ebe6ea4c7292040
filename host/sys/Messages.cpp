// The host's message table: the texts a person reads beside a message
// number. The numbers are the host's own (host/README.md) and those of the
// host's catalogue that the builders return.
#include <regex>
#include <string>
#include <vector>

#include "sys/Error.hpp"

namespace KTX::Error {
namespace {

struct Message {
  int number;
  const char* text;
};

constexpr Message kMessages[] = {
    {0, "success"},
    {65, "processor fault in a scripting call"},
    {66, "stopped by the user"},
    {68, "null pointer"},
    {580203, "attempt to invoke an abstract method"},
    {670156, "the feature has no database parameters of this kind"},
    {670229, "unknown way of defining the springback"},
    {670357, "the feature is no springback compensation"},
    {670443, "a body trimmed to a plane is no longer a body: it is left out"},
    {674028, "distance tolerance too small"},
    {674029, "angle tolerance too small"},
    {674057, "copying the target body gave no body"},
    {674316, "no vector given"},
    {674317, "no point given"},
    {690000, "the parameters are not of the builder's feature"},
    {690034, "an input is not selected"},
    {840001, "deleted tag"},
    {840002, "bad object: unknown tag, wrong class, or an object that cannot be made"},
    {840003, "index out of range"},
    {840004, "a standard exception that is not a host error"},
    {840005, "no memory"},
    {840006, "attribute id unbound or not an attribute of the object"},
    {840101, "value of the wrong type, or a text that is not a number"},
    {840102, "missing value or expression"},
    {840103, "unknown property"},
    {840104, "read-only property"},
    {840201, "no geometry entity"},
    {840401, "no parameters"},
    {840402, "bad record count or missing records"},
    {840403, "a descriptor without its record"},
    {840404, "an entity's values are of another kind"},
    {840501, "a body-reference request without its parameters"},
    {840502, "no such file"},
    {840701, "malformed journal text"},
    {840702, "no replay known for the member"},
    {840703, "the record's values are not the member's"},
    {840801, "the builder's class has no preview"},
    {840802, "the object is no builder"},
    {840803, "a loop kind other than closed or open, or no points"},
    {840804, "the object is of another class than the list holds"},
    {840007, "a call the failure switch failed"},
    {840805, "the object is in the list already"},
    {840806, "the object belongs to another list"},
    {840807, "a selection takes no part"},
    {841401, "the file is no regular file (a device, a pipe or a directory)"},
    {841402, "the file is larger than its format allows"},
    {841403, "a line of the file is longer than 1 MiB"},
    {841404, "the file cannot be read"},
    {841405, "a line of the file is not what its format takes"},
    {841406, "the file is the journal being played: it is not written over"},
    {841407, "the file could not be written: the older file is as it was"},
    {1070013, "the sweep of a deck-cutout block failed: the block is left out"},
    {840901, "no rule instance of that name"},
    {840902, "the rule instance has no attribute of that name"},
    {840903, "the rule attribute's value is of another type"},
    {840904, "a rule value the rule language cannot read"},
    {3030022, "the relief profile has no closed loop"},
    {3030173, "a host error while a die-shoe block was made: the block is left out"},
    {3030210, "the relief profile has an open loop"},
    {3030391, "no base orientation"},
    {3030432, "no object selected"},
    {3030436, "no plane given"},
    {3030437, "the base orientation is not valid"},
    {3030441, "no curves to compensate"},
    {3030443, "more than one input sheet: the sheets are kept and the result is new"},
    {3030445, "no sheet bodies to compensate"},
    {3030446, "the type cannot change while a feature is edited"},
    {3030447, "distance tolerance too small"},
    {3030448, "angle tolerance too small"},
    {3030482, "no relief sheet, and the relief depth is not above the distance tolerance"},
    {3030483, "no sheet metal, and the target supplies none"},
    {3030511, "the product and sprung points differ in number"},
    {3030513, "no sprung points"},
    {3030615, "the draw punch's profile has no area"},
    {3030616, "the draw die's punch profile has no area"},
    {3030617, "the relief distance is not above 0: the belt would have no thickness"},
    {3030618, "the core wall is too thick for its profile: the inward offset leaves nothing"},
    {3030650, "the manikin size file could not be written: the older file is as it was"},
    {3030651, "a die-shoe block could not be copied or trimmed: the shoe is built without it"},
    {3030652, "a die-shoe block could not be united with or subtracted from the shoe: the shoe is built without it"},
    {3770401, "The thigh length must be above 0."},
    {3770402, "The leg length must be above 0."},
    {3770403, "The arm length must be above 0."},
    {3770404, "The forearm length must be above 0."},
    {3770405, "The torso length must be above 0."},
    {3770406, "The shoulder to hip length must be above 0."},
    {3770407, "The hand length must be above 0."},
    {3770408, "The hand grip length must be above 0."},
    {3770409, "The back angle must lie between %.1f and %.1f degrees."},
    {3770410, "The back angle lies outside %.1f to %.1f degrees; out-of-range values are allowed."},
    {3770411, "The pedal plane angle must lie between 0 and 90 degrees."},
    {3770412, "The steering wheel angle must lie between 0 and 90 degrees."},
    {3770413, "The steering wheel diameter must be above %.1f %s."},
    {3770414, "The steering wheel diameter must lie between %.1f and %.1f %s."},
    {3770415, "The steering wheel diameter lies outside %.1f to %.1f %s; out-of-range values are allowed."},
    {3770416, "The SgRP length must not lie before the AHP length %.2f."},
    {3770417, "The SgRP height must lie above the AHP height %.2f."},
    {3770418, "The AHP length must not lie behind the SgRP length %.2f."},
    {3770419, "The AHP height must lie below the SgRP height %.2f."},
    {3770420, "The AHP height must lie between %.2f and %.2f %s (H30 from %.2f to %.2f %s)."},
    {3770421, "The AHP height lies outside %.2f to %.2f %s (H30 from %.2f to %.2f %s); out-of-range values are allowed."},
    {3770422, "The AHP to steering wheel centre length must be above 0."},
    {3770423, "The AHP to steering wheel centre height must be above 0."},
    {3770424, "The legs cannot reach the pedal from the seating reference point."},
    {3770425, "The arms cannot reach the steering wheel."},
    {3770426, "Customer Default file can not open or not found."},
    {3770427, "A value is not read in the general default data structure."},
    {3770428, "A value is out of range."},
    {3770440, "The percentile does not belong to the body-size standard."},
    {3772122, "The steering wheel angle expression cannot be made."},
    {3772123, "The back angle expression cannot be made."},
    {3772127, "The pedal plane angle expression cannot be made."},
    {3772130, "The manikin's rule instance gave no feature."},
};

}  // namespace

const char* MessageText(int number) {
  for (const Message& m : kMessages)
    if (m.number == number) return m.text;
  return nullptr;
}

std::vector<int> MessageNumbers() {
  std::vector<int> numbers;
  for (const Message& m : kMessages) numbers.push_back(m.number);
  return numbers;
}

namespace {
// A conversion of a printf format: "%.1f", "%s", ...; "%%" is none.
const std::regex& Conversion() {
  static const std::regex conversion(R"(%[-+ #0]*[0-9]*(\.[0-9]+)?(hh|h|ll|l|L|z|j|t)?[diouxXeEfFgGaAcsp])");
  return conversion;
}
}  // namespace

bool TakesValues(const char* text) { return text != nullptr && std::regex_search(text, Conversion()); }

std::string PrintedText(int number) {
  const char* text = MessageText(number);
  if (text == nullptr) return {};
  if (!TakesValues(text)) return text;
  // The refusal filled its values in when it handed its error back.
  const std::vector<SevereRecord>& errors = SevereErrors();
  for (auto it = errors.rbegin(); it != errors.rend(); ++it)
    if (it->code == number && !it->text.empty() && !TakesValues(it->text.c_str())) return it->text;
  return std::regex_replace(text, Conversion(), "?");
}

std::string Describe(int number) {
  const std::string text = PrintedText(number);
  return !text.empty() ? std::to_string(number) + " (" + text + ")" : std::to_string(number);
}

}  // namespace KTX::Error
