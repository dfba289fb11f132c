#include "imagefiles/jpeg_reader.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "imagefiles/jpeg_errors.h"
#include "imagefiles/memory_budget.h"
#include "platform/file_io.h"

namespace zel {
namespace {

using jpeg_detail::ErrorManager;
using jpeg_detail::InstallErrorManager;

constexpr size_t kShortestFile = 5;
// The library is handed the file in pieces of this size, one progress report each.
constexpr size_t kInputPiece = 4096;
constexpr JOCTET kEndOfImage[2] = {0xFF, 0xD9};

// Limits on what a file may make the program allocate. The rows of a picture may take at
// most the memory budget. Huffman-coded scans spend at least one bit on every 8 x 8 block, so a
// real file holds at most about 512 pixels per byte; arithmetic coding packs more, which the
// allowance of 4096 leaves room for. Pictures of up to 4 million pixels are always
// accepted, whatever the file's length.
constexpr uint64_t kPixelsPerFileByte = 4096;
constexpr uint64_t kAlwaysAcceptedPixels = uint64_t{4} << 20;
// Each scan of a progressive file passes over the whole picture again; real files have
// a dozen or so.
constexpr int kMaxScans = 1000;

struct MemorySource {
  jpeg_source_mgr pub;
  const uint8_t* data = nullptr;
  size_t size = 0;
  size_t handedOut = 0;  // bytes already given to the library
  const JpegProgress* progress = nullptr;
};

struct DecodeContext {
  jpeg_decompress_struct cinfo;
  ErrorManager errors;
  MemorySource source;
  jpeg_progress_mgr monitor;
  bool tooManyScans = false;
  int transformMethod = 0;
  bool sizeOnly = false;
  int64_t packedSize = 0;  // the size query's answer
  PackedDib image;
};

MemorySource* SourceOf(j_decompress_ptr cinfo) {
  return reinterpret_cast<MemorySource*>(cinfo->src);
}

boolean FillInput(j_decompress_ptr cinfo) {
  MemorySource* src = SourceOf(cinfo);
  if (src->progress != nullptr && *src->progress) {
    uint64_t percent = static_cast<uint64_t>(src->handedOut) * 100 / src->size;
    (*src->progress)(0, static_cast<uint32_t>(percent) + 100u * 65536u);
  }
  if (src->handedOut < src->size) {
    size_t piece = std::min(kInputPiece, src->size - src->handedOut);
    src->pub.next_input_byte = src->data + src->handedOut;
    src->pub.bytes_in_buffer = piece;
    src->handedOut += piece;
    return TRUE;
  }
  if (src->handedOut == 0) ERREXIT(cinfo, JERR_INPUT_EMPTY);
  // Out of data: an end-of-image marker lets a cut-off file finish with what it has.
  WARNMS(cinfo, JWRN_JPEG_EOF);
  src->pub.next_input_byte = kEndOfImage;
  src->pub.bytes_in_buffer = sizeof(kEndOfImage);
  return TRUE;
}

void SkipInput(j_decompress_ptr cinfo, long count) {
  MemorySource* src = SourceOf(cinfo);
  if (count <= 0) return;
  size_t skip = static_cast<size_t>(count);
  if (skip <= src->pub.bytes_in_buffer) {
    src->pub.next_input_byte += skip;
    src->pub.bytes_in_buffer -= skip;
    return;
  }
  skip -= src->pub.bytes_in_buffer;
  src->pub.bytes_in_buffer = 0;
  src->handedOut += std::min(skip, src->size - src->handedOut);
}

// Makes the context's data the library's input.
void AttachSource(DecodeContext& ctx) {
  MemorySource& src = ctx.source;
  src.handedOut = 0;
  src.pub.init_source = [](j_decompress_ptr) {};
  src.pub.fill_input_buffer = FillInput;
  src.pub.skip_input_data = SkipInput;
  src.pub.resync_to_restart = jpeg_resync_to_restart;
  src.pub.term_source = [](j_decompress_ptr) {};
  src.pub.next_input_byte = nullptr;
  src.pub.bytes_in_buffer = 0;
  ctx.cinfo.src = &src.pub;
}

// Stops files with more scans than kMaxScans. The library calls this while it takes in
// the scans of a multi-scan file.
void CountScans(j_common_ptr common) {
  j_decompress_ptr cinfo = reinterpret_cast<j_decompress_ptr>(common);
  if (cinfo->input_scan_number <= kMaxScans) return;
  static_cast<DecodeContext*>(cinfo->client_data)->tooManyScans = true;
  ERREXIT(cinfo, JMSG_NOMESSAGE);
}

bool AcceptedSize(uint32_t width, uint32_t height, size_t fileSize) {
  uint64_t pixels = uint64_t{width} * height;
  if (RowStride(24, static_cast<int32_t>(width)) * uint64_t{height} > PictureMemoryBudget()) {
    return false;
  }
  return pixels <= kAlwaysAcceptedPixels || pixels / kPixelsPerFileByte <= fileSize;
}

// The library calls. A library error jumps from here straight back to RunDecoder, so this
// function keeps only trivially destructible locals.
int Decode(DecodeContext& ctx) {
  jpeg_decompress_struct& cinfo = ctx.cinfo;
  jpeg_create_decompress(&cinfo);
  // The library's own working memory (the coefficient buffers of progressive files).
  cinfo.mem->max_memory_to_use = static_cast<long>(PictureMemoryBudget());
  cinfo.client_data = &ctx;
  ctx.monitor.progress_monitor = CountScans;
  cinfo.progress = &ctx.monitor;
  AttachSource(ctx);
  jpeg_read_header(&cinfo, TRUE);
  if (ctx.sizeOnly) {
    ctx.packedSize = int64_t{cinfo.image_height} * 65536 + cinfo.image_width;
    return kJpegReadOk;
  }

  if (cinfo.out_color_space != JCS_GRAYSCALE && cinfo.out_color_space != JCS_RGB) {
    return kJpegUnsupportedColor;
  }
  // The library converts straight into the picture's byte order, grayscale included.
  cinfo.out_color_space = JCS_EXT_BGR;
  switch (ctx.transformMethod) {
    case kJpegTransformFast:
      cinfo.dct_method = JDCT_IFAST;
      break;
    case kJpegTransformFloat:
      cinfo.dct_method = JDCT_FLOAT;
      break;
    default:
      cinfo.dct_method = JDCT_ISLOW;
      break;
  }
  jpeg_calc_output_dimensions(&cinfo);
  if (!AcceptedSize(cinfo.output_width, cinfo.output_height, ctx.source.size)) {
    return kJpegTooLarge;
  }

  ctx.image = NewPicture(static_cast<int32_t>(cinfo.output_width),
                         static_cast<int32_t>(cinfo.output_height), 24, 0);
  if (!ctx.image) return kJpegNoMemory;
  DibHeader header = ctx.image.Header();
  header.sizeImage = 0;
  if (cinfo.density_unit == 2) {
    header.xPelsPerMeter = int32_t{cinfo.X_density} * 100;
    header.yPelsPerMeter = int32_t{cinfo.Y_density} * 100;
  }
  ctx.image.SetHeader(header);

  jpeg_start_decompress(&cinfo);
  while (cinfo.output_scanline < cinfo.output_height) {
    // The first decoded line is the top of the picture, stored last.
    JSAMPROW row = ctx.image.Row(static_cast<int>(cinfo.output_scanline));
    if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) {
      return JpegReadLibraryCode(JERR_CANT_SUSPEND);  // the memory source never suspends
    }
  }
  jpeg_finish_decompress(&cinfo);
  return kJpegReadOk;
}

int RunDecoder(DecodeContext& ctx) {
  ctx.cinfo.err = InstallErrorManager(ctx.errors);
  if (setjmp(ctx.errors.jump) != 0) {
    jpeg_destroy_decompress(&ctx.cinfo);
    ctx.image.Reset();
    if (ctx.tooManyScans) return kJpegTooManyScans;
    // A size query is answered once the frame header has been read, even when the
    // headers stop before the scan.
    if (ctx.sizeOnly && ctx.errors.messageCode == JERR_SOF_NO_SOS && ctx.cinfo.image_width > 0 &&
        ctx.cinfo.image_height > 0) {
      ctx.packedSize = int64_t{ctx.cinfo.image_height} * 65536 + ctx.cinfo.image_width;
      return kJpegReadOk;
    }
    return JpegReadLibraryCode(ctx.errors.messageCode);
  }
  int code = Decode(ctx);
  jpeg_destroy_decompress(&ctx.cinfo);
  if (code != kJpegReadOk) ctx.image.Reset();
  return code;
}

std::unique_ptr<DecodeContext> NewContext(const uint8_t* data, size_t size,
                                          const JpegProgress* progress) {
  auto ctx = std::make_unique<DecodeContext>();
  ctx->source.data = data;
  ctx->source.size = size;
  ctx->source.progress = progress;
  return ctx;
}

}  // namespace

int ReadJpegData(PackedDib& out, const uint8_t* data, size_t size, int transformMethod,
                 const JpegProgress& progress) {
  out.Reset();
  if (data == nullptr || size < kShortestFile) return kJpegCannotRead;
  std::unique_ptr<DecodeContext> ctx = NewContext(data, size, &progress);
  ctx->transformMethod = transformMethod;
  int code = RunDecoder(*ctx);
  if (code == kJpegReadOk) out = std::move(ctx->image);
  return code;
}

int ReadJpegFile(PackedDib& out, const std::string& path, int transformMethod,
                 const JpegProgress& progress) {
  out.Reset();
  std::optional<std::vector<uint8_t>> bytes = ReadFileBytes(path);
  if (!bytes) return kJpegCannotRead;
  return ReadJpegData(out, bytes->data(), bytes->size(), transformMethod, progress);
}

int64_t ReadJpegDataSize(const uint8_t* data, size_t size) {
  if (data == nullptr || size < kShortestFile) return kJpegCannotRead;
  std::unique_ptr<DecodeContext> ctx = NewContext(data, size, nullptr);
  ctx->sizeOnly = true;
  int code = RunDecoder(*ctx);
  return code == kJpegReadOk ? ctx->packedSize : code;
}

int64_t ReadJpegFileSize(const std::string& path) {
  std::optional<std::vector<uint8_t>> bytes = ReadFileBytes(path);
  if (!bytes) return kJpegCannotRead;
  return ReadJpegDataSize(bytes->data(), bytes->size());
}

}  // namespace zel
