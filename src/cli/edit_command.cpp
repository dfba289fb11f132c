#include "cli/edit_command.h"

#include <optional>
#include <utility>

#include "cli/cli_common.h"
#include "cli/convert_command.h"
#include "cli/edit_operations.h"
#include "cli/interrupt.h"

namespace zel::cli {
namespace {

struct EditArguments {
  std::string input;
  std::string output;
  int quality = kDefaultJpegQuality;
  bool optimizeGif = false;  // --optimize
  std::optional<int> lossy;  // --lossy Q
  std::vector<EditStep> steps;
  EditSettings settings;
};

bool ParseArguments(const std::vector<std::string>& args, EditArguments* parsed, std::FILE* err) {
  std::vector<std::string> names;
  bool haveOutput = false;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::string value;
    bool inlineValue = false;
    // "--delay=2=50" and "--output=OUT" work as well as the two-word forms.
    if (name.rfind("--", 0) == 0 && name.find('=') != std::string::npos) {
      size_t eq = name.find('=');
      value = name.substr(eq + 1);
      name = name.substr(0, eq);
      inlineValue = true;
    }
    auto takeValue = [&](const std::string& hint) {
      if (inlineValue) return true;
      if (i + 1 >= args.size()) {
        PrintError(err, name + " needs " + hint);
        return false;
      }
      value = args[++i];
      return true;
    };

    if (name == "-o" || name == "--output") {
      if (!takeValue("an output file name")) return false;
      if (haveOutput) {
        PrintError(err, "give only one output file");
        return false;
      }
      parsed->output = value;
      haveOutput = true;
      continue;
    }
    if (name == "--quality") {
      if (!takeValue("a number from 30 to 100")) return false;
      if (!ParseQuality(value, &parsed->quality, err)) return false;
      continue;
    }
    if (name == "--lossy") {
      if (!takeValue("a number from 0 to 100")) return false;
      int q = 0;
      if (!ParseLossyQuality(value, &q, err)) return false;
      parsed->lossy = q;
      continue;
    }
    if (name == "--optimize") {
      if (inlineValue) {
        PrintError(err, name + " takes no value");
        return false;
      }
      parsed->optimizeGif = true;
      continue;
    }
    if (const EditOperation* operation = FindEditOperation(name)) {
      EditStep step;
      step.operation = operation;
      step.label = name;
      if (operation->parse == nullptr) {
        if (inlineValue) {
          PrintError(err, name + " takes no value");
          return false;
        }
      } else {
        if (!takeValue(operation->hint)) return false;
        if (!operation->parse(value, &step)) {
          PrintError(err, name + " needs " + operation->hint + ", not '" + value + "'");
          return false;
        }
        step.label += " " + value;
      }
      if (operation->configure) {
        operation->configure(parsed->settings, step);
      } else {
        parsed->steps.push_back(std::move(step));
      }
      continue;
    }
    if (name.size() > 1 && name[0] == '-') {
      PrintError(err, "unknown option '" + args[i] + "' (zel-cli help lists the edit options)");
      return false;
    }
    names.push_back(args[i]);
  }
  // The output may also follow the input directly: `zel-cli edit IN OUT [OPERATIONS...]`.
  if (!haveOutput && names.size() == 2) {
    parsed->output = names.back();
    names.pop_back();
    haveOutput = true;
  }
  if (names.size() != 1 || !haveOutput) {
    if (names.empty()) PrintError(err, "edit needs an input file");
    if (names.size() > 1) PrintError(err, "edit takes one input file; '" + names[1] + "' is extra");
    if (!haveOutput) PrintError(err, "edit needs an output file: -o OUT");
    PrintUsage(err);
    return false;
  }
  parsed->input = names[0];
  return CheckLossyOutput(parsed->lossy, parsed->output, err);
}

}  // namespace

int RunEditCommand(const std::vector<std::string>& args, std::FILE* err, int progressFd) {
  EditArguments parsed;
  if (!ParseArguments(args, &parsed, err)) return kExitUsage;
  std::optional<InterruptCatcher> interrupts;
  EditRun run;
  run.settings = parsed.settings;
  run.source = parsed.input;
  run.err = err;
  const int opened = OpenInputForOutput(parsed.input, parsed.output, interrupts, run.doc, err);
  if (opened != kExitOk) return opened;
  for (const EditStep& step : parsed.steps) {
    if (InterruptCatcher::Take()) return ReportCancelled(parsed.output, err);
    const int code = step.operation->apply(run, step);
    if (code != kExitOk) return code;
    if (!IsAnimation(run.doc.kind) || step.operation->renamesSource) {
      run.source = "the result of " + step.label;
    }
  }
  if (InterruptCatcher::Take()) return ReportCancelled(parsed.output, err);
  return SaveDocumentTo(run.doc, parsed.output, parsed.quality, err, progressFd,
                        parsed.optimizeGif, parsed.lossy);
}

}  // namespace zel::cli
