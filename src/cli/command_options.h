// Every command of zel-cli with its options, as one table: the manual page and the bash
// completion are printed from it (zel-cli --print-man, --print-completion) at build time, so
// the documentation lists exactly the options the commands take. `edit` takes its options
// from the edit operations' table (edit_operations.h).
#pragma once

#include <string>
#include <vector>

namespace zel::cli {

struct CliOption {
  std::string name;      // "--frames"
  std::string argument;  // "N"; empty for a switch
  std::string help;      // one paragraph
  std::string alias;     // another name the command accepts ("--no-dither"); may be empty
};

// A group of options under a heading (edit's families); the heading may be empty.
struct CliOptionGroup {
  std::string heading;
  std::vector<CliOption> options;
};

struct CliCommand {
  std::string name;       // "make-anime"
  std::string arguments;  // what follows the name in the synopsis: "IN -o OUT [OPTIONS]"
  std::string summary;    // what the command does, one paragraph
  std::vector<CliOptionGroup> groups;
};

// The commands in the order help lists them.
const std::vector<CliCommand>& CliCommands();

// Every option name and alias of `command`; empty for an unknown command.
std::vector<std::string> CliOptionNames(const std::string& command);

// The manual page of zel-cli in roff, with `version` in its heading.
std::string CliManPage(const std::string& version);
// A bash completion script for zel-cli: the commands, then each command's options; file
// names everywhere else.
std::string CliBashCompletion();

}  // namespace zel::cli
