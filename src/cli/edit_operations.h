// The operations of `zel-cli edit` as one table, kept by family: each row is an option, the
// argument it takes, its help text and the core call that carries it out. Adding an
// operation is adding a row to its family's file (edit_*_operations.cpp); the parser, the
// help text and the run loop read the table.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "color/index_color.h"
#include "document/document_state.h"

namespace zel::cli {

struct EditOperation;

// One operation as the user gave it.
struct EditStep {
  const EditOperation* operation = nullptr;
  std::string label;  // the option and its argument as given, for messages
  int32_t frame = 0;  // a 1-based frame number; 0 for every frame (--delay all=T)
  int64_t value = 0;  // a number the argument gave (a time, a percentage, a choice)
  std::string text;   // an argument kept as text (a file name)
};

// What holds for the whole run, whatever the order of the options.
struct EditSettings {
  // --no-diffusion and --transparent hold for every colour conversion of the run.
  ColorChoices colors{7, 0, false};
  // --hq: --colors reduces through the high-quality reduction, and reduces an animation's
  // frames to one palette.
  bool highQuality = false;
  // --amplitude: the amplitude of every --effect of the run, in percent.
  int effectAmplitude = 40;
  // --range, --no-wrap and --reverse-path hold for every --motion of the run.
  int motionRange = 100;
  bool motionWrap = true;
  bool motionReverse = false;
  // --at and --behind hold for every --merge of the run.
  int32_t mergeX = 0;
  int32_t mergeY = 0;
  bool mergeBehind = false;
};

// The document while the steps run.
struct EditRun {
  DocumentState doc;
  EditSettings settings;
  // How messages name what the step works on: the input file, or "the result of <step>".
  std::string source;
  std::FILE* err = nullptr;
};

struct EditOperation {
  const char* option;    // "--delete-frame"
  const char* argument;  // how help shows the argument ("N", "N=T"); "" for none
  const char* help;      // the help text; '\n' starts a continuation line
  // Reads the argument into the step; nullptr when the option takes none. `hint` says what
  // the argument must be.
  bool (*parse)(const std::string& text, EditStep* step) = nullptr;
  const char* hint = "";
  // The core call: applies the step to the run's document and returns the exit code,
  // reporting on run.err when it is not kExitOk. Null for an option that sets a setting.
  int (*apply)(EditRun& run, const EditStep& step) = nullptr;
  // An option that sets a setting of the whole run instead (applied while parsing).
  void (*configure)(EditSettings& settings, const EditStep& step) = nullptr;
  // After this step, messages name "the result of <step>" instead of the input.
  bool renamesSource = false;
  // Another name the option is accepted by, kept for scripts written against it.
  const char* alias = nullptr;
};

// A family of operations with the heading help shows above them.
struct EditFamily {
  const char* heading;
  const std::vector<EditOperation>* operations;
};

const std::vector<EditOperation>& FrameEditOperations();
const std::vector<EditOperation>& TimeEditOperations();
const std::vector<EditOperation>& ColourEditOperations();
const std::vector<EditOperation>& TransformEditOperations();
const std::vector<EditOperation>& ToneEditOperations();
const std::vector<EditOperation>& GeneratorEditOperations();
const std::vector<EditOperation>& MotionEditOperations();
const std::vector<EditOperation>& MergeEditOperations();

// Every family, in the order help lists them.
const std::vector<EditFamily>& EditFamilies();
// The row of `option` (its name or its alias), or nullptr.
const EditOperation* FindEditOperation(const std::string& option);
// The families' help lines, as `zel-cli help` shows them.
std::string EditOperationsHelp();

// Argument readers shared by the families.
// A run of decimal digits, saturated at 999,999,999 so that later sums cannot overflow.
bool ParseDigits(const std::string& text, int64_t* value);
// A frame number from 1 on, into step->frame.
bool ParseFrame(const std::string& text, EditStep* step);

// Decimal numbers (a sign and a fraction allowed) separated by `separator`, from `count` up
// to `most` of them; nothing else (no blanks, no exponents, at most 16 characters each).
std::optional<std::vector<double>> ParseNumberList(const std::string& text, size_t count,
                                                   size_t most, char separator = ',');

// "N frames" / "1 frame".
std::string Frames(int64_t n);

// Checks that the document is an animation holding the step's frame; reports when not.
int RequireAnimation(EditRun& run, const EditStep& step);

}  // namespace zel::cli
