#include "app/program_options.h"

#include "app/startup_rules.h"

namespace zel {

const std::vector<ProgramOption>& EditorOptions() {
  static const std::vector<ProgramOption> options = {
      {"--open", "FILE",
       "Open FILE, any picture, its name taken whole (the desktop entry's way)."},
      {"--version", "", "Print the version number and exit."},
      {"--help", "", "Print the options and exit."},
  };
  return options;
}

std::string EditorFileArgument(const std::vector<std::string>& arguments) {
  if (!arguments.empty() && arguments[0] == "--open") {
    return arguments.size() == 2 ? arguments[1] : std::string();
  }
  return CommandLineFileName(JoinCommandLine(arguments)).value_or(std::string());
}

std::string EditorUsageText() {
  std::string text = "usage: zel [FILE]\n       zel --open FILE\n\noptions:\n";
  for (const ProgramOption& option : EditorOptions()) {
    std::string usage = std::string("  ") + option.name;
    if (*option.argument) usage += std::string(" ") + option.argument;
    usage.resize(18, ' ');
    text += usage + option.help + "\n";
  }
  return text;
}

std::string RoffText(const std::string& text) {
  std::string out;
  bool lineStart = true;
  for (char c : text) {
    if (lineStart && (c == '.' || c == '\'')) out += "\\&";
    if (c == '\\') {
      out += "\\e";
    } else if (c == '-') {
      out += "\\-";
    } else {
      out += c;
    }
    lineStart = c == '\n';
  }
  return out;
}

std::string EditorManPage(const std::string& version) {
  std::string page = ".\\\" -*- coding: UTF-8 -*-\n";
  page += ".TH ZEL 1 \"\" \"zel " + RoffText(version) + "\" \"User Commands\"\n";
  page += ".SH NAME\nzel \\- editor for animated GIF images\n";
  page += ".SH SYNOPSIS\n.B zel\n.RI [ FILE ]\n.br\n.B zel \\-\\-open\n.I FILE\n";
  page += ".SH DESCRIPTION\n"
          "Zel opens a GIF, BMP, JPEG, PNG or WebP picture or animation, plays it, edits its "
          "frames, delays, colours and shape, makes new animations from pictures (effects, "
          "motion along a path, several pictures, merging two animations) or from a video clip, "
          "and saves the result as an animated GIF, WebP or PNG (APNG), or a picture as BMP, "
          "JPEG or icon. Its texts are in Japanese, or in "
          "English under another language.\n"
          ".PP\n"
          "A FILE named on the command line is opened at start when it is an animated GIF, and "
          "any other picture once the window is up. Only one editor runs at a time; "
          "\\fBzel\\-cli send\\fR hands a picture to the running one.\n";
  page += ".SH OPTIONS\n";
  for (const ProgramOption& option : EditorOptions()) {
    page += ".TP\n\\fB" + RoffText(option.name) + "\\fR";
    if (*option.argument) page += " \\fI" + RoffText(option.argument) + "\\fR";
    page += "\n" + RoffText(option.help) + "\n";
  }
  page += ".PP\nThe options of Qt programs (such as \\fB\\-platform\\fR) are taken too.\n";
  page += ".SH FILES\n"
          ".TP\n\\fI~/.config/Qx/zel.ini\\fR\nSettings, recent files and the window layout.\n"
          ".TP\n\\fI~/.local/share/Qx/zel/\\fR\nThe motion paths' drawings and path files.\n";
  page += ".SH \"SEE ALSO\"\n.BR zel\\-cli (1)\n";
  return page;
}

}  // namespace zel
