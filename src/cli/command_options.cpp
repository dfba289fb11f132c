#include "cli/command_options.h"

#include <set>

#include "app/program_options.h"
#include "cli/edit_operations.h"
#include "generators/effect_schedule.h"

namespace zel::cli {
namespace {

const CliOption kMemory{"--max-memory", "MIB",
                        "The memory the pictures of one file may take, in MiB (default 1024). A "
                        "file that needs more is refused as too large.",
                        ""};
const CliOption kOutput{"-o", "OUT", "The file to write; its extension chooses the format.",
                        "--output"};
const CliOption kQuality{"--quality", "N", "JPEG quality of a .jpg output, 30 to 100 (default 75).",
                         ""};
const CliOption kLossy{"--lossy", "Q",
                       "Write a .webp output lossy at quality Q, 0 to 100 (lossless without it).",
                       ""};
const CliOption kOptimize{"--optimize", "",
                          "Write a .gif animation optimised: each frame only where it changes, "
                          "with the same frames, delays, loop and transparency.",
                          ""};
const CliOption kPerCycle{"--per-cycle", "", "T is the time of the whole cycle, not of one frame.",
                          ""};
const CliOption kTempo{"--tempo", "", "T is a tempo in beats per minute.", ""};

std::string EffectList() {
  std::string text;
  for (int i = 0; i < kEffectCount; ++i) {
    if (!text.empty()) text += ", ";
    text += EffectAlias(static_cast<Effect>(i));
  }
  return text;
}

// edit's help texts break their lines for the terminal; the manual page fills its own.
std::string Unwrapped(const char* text) {
  std::string out = text;
  for (char& c : out) {
    if (c == '\n') c = ' ';
  }
  return out;
}

std::vector<CliOptionGroup> EditGroups() {
  std::vector<CliOptionGroup> groups;
  for (const EditFamily& family : EditFamilies()) {
    CliOptionGroup group{family.heading, {}};
    for (const EditOperation& operation : *family.operations) {
      group.options.push_back({operation.option, operation.argument, Unwrapped(operation.help),
                               operation.alias ? operation.alias : ""});
    }
    groups.push_back(std::move(group));
  }
  groups.push_back({"output", {kOutput, kQuality, kLossy, kOptimize, kMemory}});
  return groups;
}

std::vector<CliCommand> MakeCommands() {
  return {
      {"info", "FILE [--max-memory MIB]",
       "Describe a picture or animation file (GIF, BMP and frame bitmaps, JPEG, PNG, WebP): its "
       "kind, size, colours, loop count and every frame.",
       {{"", {kMemory}}}},
      {"convert", "IN OUT [OPTIONS]",
       "Open IN (.gif, .bmp, .jpg, .png or .webp) the way the editor opens it and write OUT by its "
       "extension: .gif (an 8-bit picture or an animation), .bmp (a picture as BMP, an animation "
       "as a frame bitmap), .jpg (a 24-bit picture), .ico (an 8-bit picture of 32 x 32), .webp "
       "(an animated WebP, a still one for a picture) or .png (an animated PNG, a plain PNG for "
       "a picture).",
       {{"", {kQuality, kLossy, kOptimize, kMemory}}}},
      {"edit", "IN [OPERATIONS...] -o OUT [OPTIONS]",
       "Open IN, apply the operations in the order given, and write OUT as convert does. Frames "
       "are numbered from 1; times are in hundredths of a second.",
       EditGroups()},
      {"make-anime", "IN --effect NAME [OPTIONS] -o OUT",
       "Make a new animation from the picture IN with one of ten effects, as the editor's "
       "picture-to-animation command; the file is the one the editor saves.",
       {{"",
         {{"--effect", "NAME", "The effect (default copy): " + EffectList() +
                                   ", or its name in the program.", ""},
          {"--frames", "N", "4 to 40 frames (default 10).", ""},
          {"--amplitude", "A", "5 to 100 percent (default 40).", ""},
          {"--time", "T", "10 to 1000: hundredths of a second per frame (default 10).", ""},
          kPerCycle,
          kTempo,
          {"--colors", "N", "A full-colour picture becomes N colours: 2, 4, ..., 256 (default 256).",
           ""},
          {"--transparent", "C",
           "Transparent colour from corner C: none (the default), top-left, top-right, "
           "bottom-left or bottom-right.",
           ""},
          {"--no-diffusion", "",
           "Reduce colours without error diffusion (the default, as in the editor's dialog).",
           "--no-dither"},
          {"--diffusion", "", "Reduce colours with error diffusion; fewer than 16 colours become 16.",
           ""},
          {"--hq", "", "Reduce colours with the high-quality quantizer.", ""},
          {"--margin", "", "Put the picture in a square of its diagonal first.", ""},
          {"--motion", "NAME",
           "Then move frame i to step i of the motion path NAME (zel-cli motions lists them).", ""},
          {"--range", "P", "The part of the path the motion covers, 5 to 100 percent (default 100).",
           ""},
          {"--no-wrap", "", "The area the motion uncovers becomes transparent.", ""},
          {"--reverse-path", "", "The motion runs the path from its end to its start.", ""},
          kOutput,
          kMemory}}}},
      {"from-images", "A B [C ...] [OPTIONS] -o OUT",
       "Make one animation from 2 to 40 pictures of the same size (.bmp, .gif, .jpg, .png, .webp; "
       "a GIF or WebP file gives its first picture), one frame each in the order given, on one "
       "common palette.",
       {{"",
         {{"--colors", "N", "16, 32, 64, 128 or 256 colours, the transparent entry included "
                            "(default 256).", ""},
          {"--side", "L", "Pictures larger than L x L are reduced to fit it, 16 to 1280 "
                          "(default 1280).", ""},
          {"--time", "T", "0 to 1000: hundredths of a second per frame (default 100).", ""},
          kPerCycle,
          kTempo,
          {"--hq", "",
           "The palette and mapping of the high-quality quantizer (holds every picture in full "
           "colour at once).",
           ""},
          kOutput,
          kMemory}}}},
      {"from-video", "IN [OPTIONS] -o OUT",
       "Make a new animation from a stretch of a video clip (whatever FFmpeg's libraries read: "
       "MP4, WebM, MKV, MOV, AVI, ...): its pictures at a chosen rate, scaled to a width, on one "
       "palette for all frames, with delays that keep the clip's time.",
       {{"",
         {{"--start", "S", "Where to begin, in seconds (12.5) or minutes and seconds (1:02.5) "
                           "(default 0).", ""},
          {"--duration", "D", "How long a stretch to take, as --start (default: to the end).",
           ""},
          {"--fps", "F", "Frames per second, 1 to 50 (default 10, or the clip's own rate when "
                         "lower).", ""},
          {"--width", "W", "The width in pixels, 16 to 4096; the height follows the aspect "
                           "ratio (default: the clip's width, at most 480).", ""},
          {"--colors", "N", "16 to 256 colours (default 256).", ""},
          {"--fast", "", "A quicker palette and mapping without error diffusion.", ""},
          kOutput,
          kMemory}}}},
      {"send", "[--wait SECONDS] FILE",
       "Open FILE and hand it to the running editor. When the editor holds a picture it asks its "
       "user first, and send waits for the answer. Exit status: 0 loaded, 3 the user kept the "
       "open picture, 4 the editor is busy, 5 no editor runs, 6 the editor did not answer in "
       "time, 1 the file cannot be read or the editor could not load it.",
       {{"", {{"--wait", "SECONDS",
               "How long the editor has to take the picture or start asking, 1 to 3600 "
               "(default 10).", ""}}}}},
      {"midi-tempo", "FILE.mid",
       "Print the first tempo of a MIDI file in beats per minute and the length of one to four "
       "beats in seconds.",
       {}},
      {"preview", "FILE.gif",
       "Write the browser page for a GIF file in the settings folder and open it in the "
       "desktop's web browser.",
       {}},
      {"motions", "",
       "List the motion paths for --motion: number, selected marker (*), point count and title.",
       {}},
      {"help", "", "Print the usage of every command.", {}},
  };
}

std::string ManOption(const CliOption& option) {
  std::string head = "\\fB" + RoffText(option.name) + "\\fR";
  if (!option.argument.empty()) head += " \\fI" + RoffText(option.argument) + "\\fR";
  if (!option.alias.empty()) {
    head += ", \\fB" + RoffText(option.alias) + "\\fR";
    if (!option.argument.empty()) head += " \\fI" + RoffText(option.argument) + "\\fR";
  }
  return ".TP\n" + head + "\n" + RoffText(option.help) + "\n";
}

}  // namespace

const std::vector<CliCommand>& CliCommands() {
  static const std::vector<CliCommand> commands = MakeCommands();
  return commands;
}

std::vector<std::string> CliOptionNames(const std::string& command) {
  std::vector<std::string> names;
  for (const CliCommand& c : CliCommands()) {
    if (c.name != command) continue;
    for (const CliOptionGroup& group : c.groups) {
      for (const CliOption& option : group.options) {
        names.push_back(option.name);
        if (!option.alias.empty()) names.push_back(option.alias);
      }
    }
  }
  return names;
}

std::string CliManPage(const std::string& version) {
  std::string page;
  // Some help texts quote the program's Japanese names.
  page += ".\\\" -*- coding: UTF-8 -*-\n";
  page += ".TH ZEL\\-CLI 1 \"\" \"zel " + RoffText(version) + "\" \"User Commands\"\n";
  page += ".SH NAME\nzel\\-cli \\- read, edit and write animated GIF files from the command line\n";
  page += ".SH SYNOPSIS\n";
  for (const CliCommand& c : CliCommands()) {
    page += ".B zel\\-cli " + RoffText(c.name) + "\n";
    if (!c.arguments.empty()) page += RoffText(c.arguments) + "\n";
    page += ".br\n";
  }
  page += ".B zel\\-cli \\-\\-version\n";
  page += ".SH DESCRIPTION\n"
          "zel\\-cli is the command\\-line tool of Zel, an editor for animated GIF images. "
          "It uses the editor's own core, so a file it writes is the file the editor saves "
          "after the same commands. Files are written to a temporary file first and then "
          "renamed, so a failed command leaves every file as it was.\n";
  page += ".SH COMMANDS\n";
  for (const CliCommand& c : CliCommands()) {
    page += ".SS " + RoffText(c.name) + "\n" + RoffText(c.summary) + "\n";
    for (const CliOptionGroup& group : c.groups) {
      if (!group.heading.empty()) page += ".PP\n\\fI" + RoffText(group.heading) + ":\\fR\n";
      for (const CliOption& option : group.options) page += ManOption(option);
    }
  }
  page += ".SH OPTIONS\n";
  page += ManOption({"--version", "", "Print the version number and exit.", ""});
  page += ManOption({"--help", "", "Print the usage of every command and exit.", "-h"});
  page += ManOption({"--print-man", "",
                     "Print this manual page (with the argument zel: the editor's) and exit.", ""});
  page += ManOption({"--print-completion", "", "Print the bash completion script and exit.", ""});
  page += ".SH \"EXIT STATUS\"\n"
          "0 done; 1 a file could not be read or written, or a MIDI file holds no tempo; 2 bad "
          "arguments or a conversion the picture does not allow; 130 interrupted; send has its "
          "own codes 3 to 6 (above).\n";
  page += ".SH FILES\n.TP\n\\fI~/.config/Qx/zel.ini\\fR\nThe editor's settings, and the "
          "motion paths' definitions.\n.TP\n\\fI~/.local/share/Qx/zel/\\fR\nThe motion paths' "
          "drawings and path files.\n";
  page += ".SH \"SEE ALSO\"\n.BR zel (1)\n";
  return page;
}

std::string CliBashCompletion() {
  std::string commands;
  std::string cases;
  for (const CliCommand& c : CliCommands()) {
    commands += (commands.empty() ? "" : " ") + c.name;
    std::string names;
    for (const std::string& name : CliOptionNames(c.name)) {
      names += (names.empty() ? "" : " ") + name;
    }
    if (!names.empty()) cases += "    " + c.name + ") options='" + names + "' ;;\n";
  }
  return "# bash completion for zel-cli, printed by zel-cli --print-completion\n"
         "_zel_cli() {\n"
         "  local cur=\"${COMP_WORDS[COMP_CWORD]}\"\n"
         "  if ((COMP_CWORD == 1)); then\n"
         "    COMPREPLY=($(compgen -W '" + commands + " --help --version' -- \"$cur\"))\n"
         "    return\n"
         "  fi\n"
         "  local options=''\n"
         "  case \"${COMP_WORDS[1]}\" in\n" +
         cases +
         "  esac\n"
         "  if [[ \"$cur\" == -* && -n \"$options\" ]]; then\n"
         "    COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n"
         "  fi\n"
         "}\n"
         "complete -o default -o bashdefault -F _zel_cli zel-cli\n";
}

}  // namespace zel::cli
