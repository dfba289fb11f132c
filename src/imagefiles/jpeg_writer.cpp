#include "imagefiles/jpeg_writer.h"

#include <iterator>
#include <memory>
#include <new>

#include "imagefiles/jpeg_errors.h"
#include "platform/file_io.h"

namespace zel {
namespace {

using jpeg_detail::ErrorManager;
using jpeg_detail::InstallErrorManager;

// The example tables of the JPEG standard (Annex K, tables K.1 and K.2), row by row.
constexpr unsigned int kLuminanceBase[DCTSIZE2] = {
    16, 11, 10, 16, 24,  40,  51,  61,   //
    12, 12, 14, 19, 26,  58,  60,  55,   //
    14, 13, 16, 24, 40,  57,  69,  56,   //
    14, 17, 22, 29, 51,  87,  80,  62,   //
    18, 22, 37, 56, 68,  109, 103, 77,   //
    24, 35, 55, 64, 81,  104, 113, 92,   //
    49, 64, 78, 87, 103, 121, 120, 101,  //
    72, 92, 95, 98, 112, 100, 103, 99,
};
constexpr unsigned int kChrominanceBase[DCTSIZE2] = {
    17, 18, 24, 47, 99, 99, 99, 99,  //
    18, 21, 26, 66, 99, 99, 99, 99,  //
    24, 26, 56, 99, 99, 99, 99, 99,  //
    47, 66, 99, 99, 99, 99, 99, 99,  //
    99, 99, 99, 99, 99, 99, 99, 99,  //
    99, 99, 99, 99, 99, 99, 99, 99,  //
    99, 99, 99, 99, 99, 99, 99, 99,  //
    99, 99, 99, 99, 99, 99, 99, 99,
};

constexpr size_t kOutputPiece = 4096;

// The picture's layout, checked against its block.
struct Layout {
  int bits = 0;
  int32_t width = 0;
  int32_t height = 0;
  uint32_t colors = 0;
};

int CheckPicture(const PackedDib& image, Layout* out) {
  if (!image || image.size() < kDibHeaderSize) return kJpegBadPicture;
  DibHeader h = image.Header();
  if (h.size != kDibHeaderSize) return kJpegBadPicture;
  if (h.bitCount != 8 && h.bitCount != 24) return kJpegBadDepth;
  uint32_t colors = image.ColorCount();
  if (colors > 256) return kJpegTooManyColors;
  if (h.planes != 1) return kJpegBadPlanes;
  if (h.compression != 0) return kJpegCompressed;
  if (h.width <= 0 || h.height <= 0) return kJpegBadPicture;
  size_t stride = RowStride(h.bitCount, h.width);
  size_t offset = kDibHeaderSize + 4 * static_cast<size_t>(colors);
  if (offset > image.size() || stride > (image.size() - offset) / static_cast<size_t>(h.height)) {
    return kJpegBadPicture;
  }
  *out = {h.bitCount, h.width, h.height, colors};
  return kJpegWriteOk;
}

// Collects the compressed bytes in a vector.
struct VectorDestination {
  jpeg_destination_mgr pub;
  std::vector<uint8_t> bytes;
  JOCTET buffer[kOutputPiece];
};

VectorDestination* DestinationOf(j_compress_ptr cinfo) {
  return reinterpret_cast<VectorDestination*>(cinfo->dest);
}

void KeepOutput(j_compress_ptr cinfo, size_t count) {
  VectorDestination* dest = DestinationOf(cinfo);
  bool stored = true;
  try {
    dest->bytes.insert(dest->bytes.end(), dest->buffer, dest->buffer + count);
  } catch (const std::bad_alloc&) {
    stored = false;
  }
  if (!stored) ERREXIT(cinfo, JERR_OUT_OF_MEMORY);
  dest->pub.next_output_byte = dest->buffer;
  dest->pub.free_in_buffer = kOutputPiece;
}

struct EncodeContext {
  jpeg_compress_struct cinfo;
  ErrorManager errors;
  VectorDestination destination;
  const PackedDib* image = nullptr;
  Layout layout;
  int quality = 0;
  std::vector<uint8_t> rowBuffer;  // an 8-bit row through the colour table
};

void AttachDestination(EncodeContext& ctx) {
  VectorDestination& dest = ctx.destination;
  dest.pub.init_destination = [](j_compress_ptr cinfo) {
    VectorDestination* self = DestinationOf(cinfo);
    self->pub.next_output_byte = self->buffer;
    self->pub.free_in_buffer = kOutputPiece;
  };
  dest.pub.empty_output_buffer = [](j_compress_ptr cinfo) -> boolean {
    KeepOutput(cinfo, kOutputPiece);
    return TRUE;
  };
  dest.pub.term_destination = [](j_compress_ptr cinfo) {
    KeepOutput(cinfo, kOutputPiece - DestinationOf(cinfo)->pub.free_in_buffer);
  };
  ctx.cinfo.dest = &dest.pub;
}

void SetComponent(jpeg_component_info& component, int id, int sampling, int table) {
  component.component_id = id;
  component.h_samp_factor = sampling;
  component.v_samp_factor = sampling;
  component.quant_tbl_no = table;
  component.dc_tbl_no = table;
  component.ac_tbl_no = table;
}

// The settings of every file the program writes. jpeg_set_defaults has installed the
// standard Huffman tables of Annex K.3 and one interleaved scan; everything the files
// depend on is set here again.
void ApplySettings(jpeg_compress_struct& cinfo, int quality) {
  jpeg_set_colorspace(&cinfo, JCS_YCbCr);
  SetComponent(cinfo.comp_info[0], 1, 2, 0);
  SetComponent(cinfo.comp_info[1], 2, 1, 1);
  SetComponent(cinfo.comp_info[2], 3, 1, 1);
  cinfo.write_JFIF_header = TRUE;
  cinfo.JFIF_major_version = 1;
  cinfo.JFIF_minor_version = 1;
  cinfo.density_unit = 0;
  cinfo.X_density = 1;
  cinfo.Y_density = 1;
  cinfo.write_Adobe_marker = FALSE;
  int scale = JpegQualityScale(quality);
  jpeg_add_quant_table(&cinfo, 0, kLuminanceBase, scale, FALSE);
  jpeg_add_quant_table(&cinfo, 1, kChrominanceBase, scale, FALSE);
  cinfo.optimize_coding = FALSE;
  cinfo.arith_code = FALSE;
  cinfo.num_scans = 0;
  cinfo.scan_info = nullptr;
  cinfo.restart_interval = 0;
  cinfo.restart_in_rows = 0;
  cinfo.smoothing_factor = 0;
  cinfo.dct_method = JDCT_ISLOW;
}

// The library calls. A library error jumps from here straight back to RunCompressor, so
// this function keeps only trivially destructible locals.
int Compress(EncodeContext& ctx) {
  jpeg_compress_struct& cinfo = ctx.cinfo;
  const Layout& layout = ctx.layout;
  jpeg_create_compress(&cinfo);
  AttachDestination(ctx);
  cinfo.image_width = static_cast<JDIMENSION>(layout.width);
  cinfo.image_height = static_cast<JDIMENSION>(layout.height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&cinfo);
  ApplySettings(cinfo, ctx.quality);
  jpeg_start_compress(&cinfo, TRUE);

  const Rgbq* table = ctx.image->ColorTable();
  while (cinfo.next_scanline < cinfo.image_height) {
    // Scanline k is picture row k counted from the top.
    const uint8_t* source = ctx.image->Row(static_cast<int>(cinfo.next_scanline));
    JSAMPROW row;
    if (layout.bits == 24) {
      row = const_cast<JSAMPROW>(source);  // the library only reads its input rows
    } else {
      row = ctx.rowBuffer.data();
      for (int32_t x = 0; x < layout.width; ++x) {
        Rgbq color = source[x] < layout.colors ? table[source[x]] : Rgbq{};
        row[3 * x] = color.blue;
        row[3 * x + 1] = color.green;
        row[3 * x + 2] = color.red;
      }
    }
    if (jpeg_write_scanlines(&cinfo, &row, 1) != 1) {
      return JpegWriteLibraryCode(JERR_CANT_SUSPEND);  // the destination never suspends
    }
  }
  jpeg_finish_compress(&cinfo);
  return kJpegWriteOk;
}

int RunCompressor(EncodeContext& ctx) {
  ctx.cinfo.err = InstallErrorManager(ctx.errors);
  if (setjmp(ctx.errors.jump) != 0) {
    jpeg_destroy_compress(&ctx.cinfo);
    return JpegWriteLibraryCode(ctx.errors.messageCode);
  }
  int code = Compress(ctx);
  jpeg_destroy_compress(&ctx.cinfo);
  return code;
}

}  // namespace

int JpegQualityScale(int quality) {
  if (quality <= 0) return 5000;
  if (quality < 50) return 5000 / quality;
  if (quality <= 100) return 200 - 2 * quality;
  return 0;
}

int BuildJpegData(const PackedDib& image, int quality, std::vector<uint8_t>& out) {
  out.clear();
  Layout layout;
  int code = CheckPicture(image, &layout);
  if (code != kJpegWriteOk) return code;
  try {
    auto ctx = std::make_unique<EncodeContext>();
    ctx->image = &image;
    ctx->layout = layout;
    ctx->quality = quality;
    if (layout.bits == 8) ctx->rowBuffer.resize(3 * static_cast<size_t>(layout.width));
    code = RunCompressor(*ctx);
    if (code != kJpegWriteOk) return code;
    std::vector<uint8_t>& bytes = ctx->destination.bytes;
    bytes.insert(bytes.end(), std::begin(kJpegTrailer), std::end(kJpegTrailer));
    out = std::move(bytes);
  } catch (const std::bad_alloc&) {
    out.clear();
    return JpegWriteLibraryCode(JERR_OUT_OF_MEMORY);
  }
  return kJpegWriteOk;
}

int WriteJpegFile(const PackedDib& image, const std::string& path, int quality) {
  std::vector<uint8_t> bytes;
  int code = BuildJpegData(image, quality, bytes);
  if (code != kJpegWriteOk) return code;
  if (!WriteFileAtomically(path, bytes.data(), bytes.size())) return kJpegCannotWrite;
  return kJpegWriteOk;
}

}  // namespace zel
