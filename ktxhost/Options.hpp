// ktxhost's command lines: each command's options and operands in one table,
// from which its arguments are read, its usage line is written and its usage
// errors are worded.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace KTX::HostProgram {

// Exit statuses, as every help states them (kExitCodes).
constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kUsageError = 2;

extern const char* const kExitCodes;

// An option: one that takes a value ("--record OUT") or a switch ("--raw").
struct Option {
  const char* name;   // as given: "--record"
  const char* value;  // the value's name in the usage line ("OUT"); null for a switch
  const char* needs;  // what the value is in the error when it is missing ("a file to write")
};

// The plug-in to load: every command names it with this option.
extern const Option kPluginOption;

// A word that is no option, in the order the words come. A word past the
// table's operands is a usage error ("unexpected operand 'WORD'").
struct Operand {
  enum Kind {
    kRequired,  // must be given: "no NOUN given" otherwise
    kRepeated,  // any number of them; the last operand of a table
  };
  const char* name;  // in the usage line: "FILE", "NAME | NAME=VALUE"
  const char* noun;  // in the errors: "journal"
  Kind kind;
};

// One command's table.
struct Syntax {
  const char* command;
  std::vector<Option> options;
  std::vector<Operand> operands;
  // A lone "-" is an operand rather than an unknown option (play takes it as
  // its journal, to refuse standard input by name).
  bool dashIsOperand = false;
};

// The words of one command line, as its table read them.
class Arguments {
 public:
  bool Given(const char* option) const;
  // The value given to the option (an option that takes a value is given
  // once at most); `otherwise` when none was given.
  const char* Value(const char* option, const char* otherwise = nullptr) const;
  // The word taken for the index-th operand that is not repeated; null when
  // it was not given.
  const char* Operand(std::size_t index) const;
  // The words of a repeated operand, in order.
  const std::vector<std::string>& Repeated() const { return repeated_; }

 private:
  friend bool Parse(const Syntax& syntax, int argc, char** argv, Arguments* out);
  std::vector<std::pair<std::string, const char*>> options_;  // name and value ("" for a switch)
  std::vector<const char*> operands_;
  std::vector<std::string> repeated_;
};

// Reads the words after the command's name: an option that takes a value
// given twice is a usage error. On a usage error it prints the
// error ("ktxhost COMMAND: what (see ktxhost help COMMAND)") on the error
// output and gives false.
bool Parse(const Syntax& syntax, int argc, char** argv, Arguments* out);

// "usage: ktxhost COMMAND ...", as the table gives it.
std::string Usage(const Syntax& syntax);

}  // namespace KTX::HostProgram
