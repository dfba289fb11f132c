#include "cli/cli_common.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "cli/edit_operations.h"
#include "cli/make_anime_command.h"
#include "imagefiles/file_names.h"
#include "imagefiles/gif_decoder.h"
#include "imagefiles/image_loader.h"
#include "imagefiles/memory_budget.h"
#include "resources/string_table.h"

namespace zel::cli {

OutputFormat OutputFormatOf(const std::string& path) {
  auto is = [&path](const char* ext) { return HasExtensionIgnoringCase(path, ext); };
  if (is("gif")) return OutputFormat::kGif;
  if (is("bmp") || is("bmpf")) return OutputFormat::kBitmap;
  if (is("jpg") || is("jpeg")) return OutputFormat::kJpeg;
  if (is("ico")) return OutputFormat::kIcon;
  if (is("webp")) return OutputFormat::kWebp;
  if (is("png")) return OutputFormat::kPng;
  return OutputFormat::kUnknown;
}

std::string DescribeExtension(const std::string& path) {
  const std::string ext = FileExtension(path);
  return ext.empty() ? "extensionless" : "." + ext;
}

void PrintError(std::FILE* err, const std::string& text) {
  std::fprintf(err, "zel-cli: %s\n", text.c_str());
}

namespace {

// The editor's items the usage compares commands with.
constexpr Words kMakeAnimationName{"アニメ作成", "\"Make animation\""};
constexpr Words kSeveralPicturesName{"複数画像をｱﾆﾒとして開く",
                                     "\"Open several pictures as an animation\""};

}  // namespace

void PrintUsage(std::FILE* to) {
  std::fputs(
      "usage: zel-cli info FILE\n"
      "       zel-cli convert IN OUT [--quality N] [--lossy Q] [--optimize]\n"
      "       zel-cli edit IN [OPERATIONS...] -o OUT [--quality N] [--lossy Q] [--optimize]\n"
      "       zel-cli edit IN OUT [OPERATIONS...] [--quality N] [--lossy Q] [--optimize]\n"
      "       zel-cli make-anime IN --effect NAME [--frames N] [--amplitude A] [--time T]\n"
      "               [--per-cycle] [--tempo] [--colors N] [--transparent C] [--diffusion]\n"
      "               [--hq] [--margin] [--motion NAME [--range P] [--no-wrap]\n"
      "               [--reverse-path]] -o OUT\n"
      "       zel-cli from-images A B [C ...] [--colors N] [--side L] [--time T] [--per-cycle]\n"
      "               [--tempo] [--hq] -o OUT\n"
      "       zel-cli from-video IN [--start S] [--duration D] [--fps F] [--width W]\n"
      "               [--colors N] [--fast] -o OUT\n"
      "       zel-cli send [--wait SECONDS] FILE\n"
      "       zel-cli midi-tempo FILE.mid\n"
      "       zel-cli preview FILE.gif\n"
      "       zel-cli motions\n"
      "       zel-cli --help\n"
      "\n"
      "info, convert, edit, make-anime, from-images and from-video take --max-memory MIB:\n"
      "the memory the pictures of a file may take (default 1024); a file that needs more is\n"
      "refused as too large\n"
      "\n"
      "commands:\n"
      "  info     describe a picture or animation: its kind, size, colours and every frame\n"
      "  convert  open IN (.gif, .bmp, .jpg, .png or .webp) and write it as OUT:\n"
      "             .gif  an 8-bit picture or an animation; --optimize writes an animation\n"
      "                   as the smallest changed rectangles (same frames, smaller file)\n"
      "             .bmp  a picture as BMP, an animation as a frame bitmap\n"
      "             .jpg  a 24-bit picture; --quality 30..100 (default 75)\n"
      "             .ico  an 8-bit picture of 32 x 32 pixels\n"
      "             .webp an animated WebP, or a still one for a picture; lossless unless\n"
      "                   --lossy Q (quality 0..100)\n"
      "             .png  an animated PNG (APNG), or a plain PNG for a picture\n"
      "  edit     open IN, apply the operations below in the order given, and write OUT\n"
      "           (-o OUT or --output OUT) as convert does. Frames are numbered from 1;\n"
      "           times are in hundredths of a second.\n",
      to);
  std::fputs(EditOperationsHelp().c_str(), to);
  std::fputs(
      "           output:\n"
      "             --quality N        JPEG quality of a .jpg output, 30..100 (default 75)\n"
      "             --lossy Q          write a .webp output lossy at quality 0..100\n"
      "             --optimize         write a .gif animation optimised, as convert does\n",
      to);
  std::fprintf(to, "  make-anime  make a new animation from the picture IN, as the editor's %s:\n",
               Say(kMakeAnimationName));
  std::fputs(
      "             --effect NAME     one of the effects below (default copy)\n"
      "             --frames N        4..40 frames (default 10)\n"
      "             --amplitude A     5..100 percent (default 40)\n"
      "             --time T          10..1000: hundredths of a second per frame (default 10)\n"
      "             --per-cycle       T is the time of the whole cycle\n"
      "             --tempo           T is a tempo in beats per minute\n"
      "             --colors N        a full-colour picture becomes N colours (default 256)\n"
      "             --transparent C   transparent colour from corner C: none (default),\n"
      "                               top-left, top-right, bottom-left or bottom-right\n"
      "             --diffusion       reduce colours with error diffusion (fewer than 16\n"
      "                               colours become 16)\n"
      "             --no-diffusion    without error diffusion, the default as in the\n"
      "                               editor's dialog (also --no-dither)\n"
      "             --hq              reduce colours with the high-quality quantizer\n"
      "             --margin          put the picture in a square of its diagonal first\n"
      "             --motion NAME     then move frame i to step i of the motion path NAME\n"
      "                               (zel-cli motions lists them); --range P (5..100,\n"
      "                               default 100), --no-wrap and --reverse-path as in edit\n"
      "           effects, by their names in either language or as ASCII names:\n",
      to);
  std::fputs(EffectNamesHelp().c_str(), to);
  std::fputs(
      "  from-images  make one animation from 2 to 40 pictures of the same size (.bmp, .gif,\n"
      "           .jpg, .png; a GIF file gives its first picture), each a frame in the order\n"
      "           given, on one common palette, as the editor's\n",
      to);
  std::fprintf(to, "           %s:\n", Say(kSeveralPicturesName));
  std::fputs(
      "             --colors N        16, 32, 64, 128 or 256 colours, the transparent entry\n"
      "                               included (default 256)\n"
      "             --side L          pictures larger than L x L are reduced to fit it,\n"
      "                               16..1280 (default 1280)\n"
      "             --time T          0..1000: hundredths of a second per frame (default 100)\n"
      "             --per-cycle       T is the time of the whole cycle\n"
      "             --tempo           T is a tempo in beats per minute\n"
      "             --hq              the palette and mapping of the high-quality quantizer\n"
      "                               (holds every picture in full colour at once)\n"
      "  from-video  make a new animation from a stretch of a video clip (MP4, WebM, MKV,\n"
      "           MOV, AVI, ...: whatever FFmpeg's libraries read), on one palette for all\n"
      "           frames, with delays that keep the clip's time, as the editor's\n"
      "           \"Open a video\":\n"
      "             --start S         where to begin: seconds (12.5) or minutes and seconds\n"
      "                               (1:02.5) (default 0)\n"
      "             --duration D      how long a stretch, as --start (default: to the end)\n"
      "             --fps F           1..50 frames per second (default 10, or the clip's own\n"
      "                               rate when lower)\n"
      "             --width W         16..4096 pixels, the height follows (default: the\n"
      "                               clip's width, at most 480)\n"
      "             --colors N        16..256 colours (default 256)\n"
      "             --fast            a quicker palette and mapping without error diffusion\n"
      "  send     open FILE and hand it to the running editor, which shows it; an animation\n"
      "           goes over whole. When the editor holds a picture it asks its user first,\n"
      "           and send waits for that answer. --wait SECONDS: how long the editor has to\n"
      "           take the picture or start asking (1..3600, default 10). Exit status:\n"
      "             0 loaded, 3 the user kept the open picture, 4 the editor is busy (a\n"
      "             dialog or tool open, an edit or a save running), 5 no editor runs,\n"
      "             6 an editor is there but did not answer in time, 1 the file cannot be\n"
      "             read or the editor could not load it\n"
      "  midi-tempo  read the first tempo of a MIDI file: beats per minute and one to four\n"
      "           beats in seconds\n"
      "  preview  write the browser page for a GIF file ($zel.html in the settings folder)\n"
      "           and open it in the desktop's web browser\n"
      "  motions  list the motion paths for edit --motion: number, selected marker (*),\n"
      "           point count and title\n"
      "\n"
      "exit status: 0 done, 1 a file could not be read or written or a MIDI file holds no\n"
      "tempo, 2 bad arguments or a conversion the picture does not allow; send has its own\n"
      "codes 3 to 6 (above)\n",
      to);
}

std::string TooLargeText(const std::string& path) {
  return std::string(MessageText(kMsgPictureTooLarge)) + " (" + path +
         "): its pictures need more than " + std::to_string(PictureMemoryBudget() >> 20) +
         " MiB; " + kMemoryOption + " MIB raises the limit";
}

std::string TooManyFramesText(const std::string& path, int framesInFile) {
  return path + " holds " + std::to_string(framesInFile) + " frames; zel-cli works with at most " +
         std::to_string(kFrameMaxHighest) + " and writes no shortened animation";
}

bool CheckReadable(const std::string& path, std::FILE* err) {
  if (ReaderLetter(path) != 0) return true;
  PrintError(err, "reading " + DescribeExtension(path) +
                      " files is not supported; zel-cli reads .gif, .bmp, .jpg, .png and .webp files");
  return false;
}

std::unique_ptr<FrameSet> LoadGifFrames(const std::string& path, std::FILE* err) {
  std::unique_ptr<FrameSet> frames = FrameSet::Create(kFrameMaxHighest);
  if (!frames) {
    PrintError(err, MessageText(kMsgNoMemory));
    return nullptr;
  }
  int framesInFile = 0;
  int read = DescribeGifAnimationFile(path, *frames, kFrameMaxHighest, &framesInFile);
  if (read == kGifTooLarge) {
    PrintError(err, TooLargeText(path));
    return nullptr;
  }
  // The reader accepts a file that ends before its first image; there is nothing to show.
  if (read != kGifReadOk || frames->count == 0) {
    PrintError(err, std::string(MessageText(kMsgBadImageFile)) + " (" + path + ")");
    return nullptr;
  }
  if (framesInFile > frames->count) {
    PrintError(err, TooManyFramesText(path, framesInFile));
    return nullptr;
  }
  return frames;
}

int OutcomeExit(std::FILE* err, const std::string& label, const Outcome& outcome,
                const std::string& nothingDone) {
  switch (outcome.kind()) {
    case OutcomeKind::kDone:
      return kExitOk;
    case OutcomeKind::kCancelled:
      PrintError(err, label + ": cancelled");
      return kExitCancelled;
    case OutcomeKind::kFailed: {
      const char* text = MessageText(outcome.message());
      PrintError(err, label + ": " + (text ? text : "failed"));
      return kExitFailed;
    }
    case OutcomeKind::kNothingDone:
      break;
  }
  if (nothingDone.empty()) return kExitOk;
  PrintError(err, label + ": " + nothingDone);
  return kExitUsage;
}

bool LoadDocument(const std::string& path, DocumentState& doc, std::FILE* err) {
  if (!CreateDocumentContainer(doc, kFrameMaxHighest)) {
    PrintError(err, MessageText(kMsgNoMemory));
    return false;
  }
  LoadContext context;
  const Outcome result = LoadImageFile(doc, path, LoadMode::kOpen, context);
  if (result == Outcome::Failed(kMsgPictureTooLarge)) {
    PrintError(err, TooLargeText(path));
    return false;
  }
  if (!result.done()) {
    const char* text = OutcomeText(result);
    PrintError(err, std::string(text ? text : MessageText(kMsgBadImageFile)) + " (" + path + ")");
    return false;
  }
  // Writing fewer frames than the file holds would lose the rest.
  if (FramesWereDropped(context)) {
    PrintError(err, TooManyFramesText(path, context.framesInFile));
    return false;
  }
  return true;
}

bool TakeMemoryOption(std::vector<std::string>& args, std::FILE* err) {
  for (size_t i = 0; i < args.size(); ++i) {
    std::string value;
    size_t taken = 0;
    if (args[i] == kMemoryOption) {
      if (i + 1 >= args.size()) {
        PrintError(err, std::string(kMemoryOption) + " needs a size in MiB");
        return false;
      }
      value = args[i + 1];
      taken = 2;
    } else if (args[i].rfind(std::string(kMemoryOption) + "=", 0) == 0) {
      value = args[i].substr(std::strlen(kMemoryOption) + 1);
      taken = 1;
    } else {
      continue;
    }
    char* end = nullptr;
    errno = 0;
    unsigned long long mib = std::strtoull(value.c_str(), &end, 10);
    if (value.empty() || value[0] == '-' || *end != '\0' || errno != 0 || mib < 1 ||
        mib > kMostMemoryMib) {
      PrintError(err, std::string(kMemoryOption) + " " + value + ": give a size in MiB from 1 to " +
                          std::to_string(kMostMemoryMib));
      return false;
    }
    SetPictureMemoryBudget(uint64_t{mib} << 20);
    args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
               args.begin() + static_cast<std::ptrdiff_t>(i + taken));
    --i;
  }
  return true;
}

}  // namespace zel::cli
