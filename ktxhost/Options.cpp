// ktxhost's command lines read from each command's table.
#include "Options.hpp"

#include <cstdio>

namespace KTX::HostProgram {

extern const char* const kExitCodes =
    "exit status: 0 done, 1 the work failed (the reason is printed), 2 the\n"
    "command line is wrong (the argument is named)\n";

extern const Option kPluginOption = {"--plugin", "PATH", "a value"};

namespace {

const Option* findOption(const Syntax& syntax, const std::string& name) {
  for (const Option& option : syntax.options)
    if (name == option.name) return &option;
  return nullptr;
}

// "play takes one journal": what the operands allow, said when a word is
// past them; the plug-in is named by its option only.
std::string operandsTaken(const Syntax& syntax) {
  std::string text;
  for (const Operand& operand : syntax.operands)
    text += (text.empty() ? "one " : " and one ") + std::string(operand.noun);
  text = std::string(syntax.command) + " takes " + (text.empty() ? "no operand" : text);
  if (findOption(syntax, kPluginOption.name) != nullptr)
    text += std::string("; the plug-in is named by ") + kPluginOption.name + " " + kPluginOption.value;
  return text;
}

bool usageError(const Syntax& syntax, const std::string& what) {
  std::fprintf(stderr, "ktxhost %s: %s (see ktxhost help %s)\n", syntax.command, what.c_str(), syntax.command);
  return false;
}

}  // namespace

bool Arguments::Given(const char* option) const {
  for (const auto& [name, value] : options_)
    if (name == option) return true;
  return false;
}

const char* Arguments::Value(const char* option, const char* otherwise) const {
  const char* last = otherwise;
  for (const auto& [name, value] : options_)
    if (name == option) last = value;
  return last;
}

const char* Arguments::Operand(std::size_t index) const {
  return index < operands_.size() ? operands_[index] : nullptr;
}

bool Parse(const Syntax& syntax, int argc, char** argv, Arguments* out) {
  std::size_t next = 0;  // the operand the next word that is no option fills
  for (int i = 0; i < argc; ++i) {
    const std::string word = argv[i];
    if (!word.empty() && word[0] == '-' && !(syntax.dashIsOperand && word == "-")) {
      const Option* option = findOption(syntax, word);
      if (option == nullptr) return usageError(syntax, "unknown option '" + word + "'");
      if (option->value == nullptr) {
        out->options_.emplace_back(word, "");
        continue;
      }
      // An empty word is no value either: it names no file, class or plug-in.
      if (i + 1 == argc || *argv[i + 1] == '\0') return usageError(syntax, "'" + word + "' needs " + option->needs);
      // One value each: a second one would silently win over the first.
      if (out->Given(option->name))
        return usageError(syntax, "'" + word + "' is given twice ('" + out->Value(option->name) + "', then '" +
                                      argv[i + 1] + "')");
      out->options_.emplace_back(word, argv[++i]);
      continue;
    }
    if (next == syntax.operands.size())
      return usageError(syntax, "unexpected operand '" + word + "': " + operandsTaken(syntax));
    const Operand& operand = syntax.operands[next];
    if (operand.kind == Operand::kRepeated) {
      out->repeated_.push_back(word);
      continue;
    }
    out->operands_.push_back(argv[i]);
    ++next;
  }
  // An empty word names nothing either.
  for (std::size_t k = 0; k < syntax.operands.size(); ++k)
    if (syntax.operands[k].kind == Operand::kRequired && (k >= out->operands_.size() || *out->operands_[k] == '\0'))
      return usageError(syntax, "no " + std::string(syntax.operands[k].noun) + " given");
  return true;
}

std::string Usage(const Syntax& syntax) {
  std::string line = std::string("usage: ktxhost ") + syntax.command;
  for (const Operand& operand : syntax.operands)
    if (operand.kind == Operand::kRequired) line += std::string(" ") + operand.name;
  for (const Option& option : syntax.options)
    line += std::string(" [") + option.name + (option.value != nullptr ? std::string(" ") + option.value : "") + "]";
  for (const Operand& operand : syntax.operands)
    if (operand.kind == Operand::kRepeated) line += std::string(" [") + operand.name + "]...";
  return line;
}

}  // namespace KTX::HostProgram
