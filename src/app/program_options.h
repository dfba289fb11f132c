// The editor's own command-line options, as one table: `zel --help` prints it and the
// editor's manual page is made from it.
#pragma once

#include <string>
#include <vector>

namespace zel {

struct ProgramOption {
  const char* name;      // "--open"
  const char* argument;  // "FILE"; "" for a switch
  const char* help;
};

// --open FILE, --version, --help.
const std::vector<ProgramOption>& EditorOptions();

// The file the editor's arguments name: after --open the next argument whole, whatever its
// length or characters (the desktop entry's way: "Exec=zel --open %f"); otherwise the
// arguments as one command line, read by CommandLineFileName. "" for none.
std::string EditorFileArgument(const std::vector<std::string>& arguments);

// What `zel --help` prints.
std::string EditorUsageText();

// A text for a roff line of a manual page: backslashes, hyphens and leading dots escaped.
std::string RoffText(const std::string& text);

// The editor's manual page in roff, with `version` in its heading.
std::string EditorManPage(const std::string& version);

}  // namespace zel
