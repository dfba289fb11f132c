// FFmpeg's libraries, loaded the first time a video clip is opened. Linking them would load
// over a hundred shared libraries (every codec's) into each start of zel and zel-cli, most
// of which never see a video; loaded on demand, only opening a clip pays for them.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace zel {

// The functions the video reader calls, by their own names.
struct FfmpegLibrary {
#define ZEL_FFMPEG_FUNCTION(name) decltype(&::name) name = nullptr;
#define ZEL_FFMPEG_FUNCTIONS(X)                                                            \
  X(av_dict_free) X(av_dict_set_int) X(av_find_best_stream) X(av_frame_alloc)              \
  X(av_frame_clone) X(av_frame_free) X(av_frame_unref) X(av_guess_sample_aspect_ratio)     \
  X(av_log_set_level) X(av_packet_alloc) X(av_packet_free) X(av_packet_unref)              \
  X(av_pix_fmt_desc_get) X(av_read_frame) X(av_seek_frame) X(avcodec_alloc_context3)       \
  X(avcodec_flush_buffers) X(avcodec_free_context) X(avcodec_open2)                        \
  X(avcodec_parameters_to_context) X(avcodec_receive_frame) X(avcodec_send_packet)         \
  X(avformat_close_input) X(avformat_find_stream_info) X(avformat_open_input)              \
  X(sws_freeContext) X(sws_getCoefficients) X(sws_getColorspaceDetails) X(sws_getContext)  \
  X(sws_scale) X(sws_setColorspaceDetails)
  ZEL_FFMPEG_FUNCTIONS(ZEL_FFMPEG_FUNCTION)
#undef ZEL_FFMPEG_FUNCTION
};

// The libraries of the major versions the program was built against, loaded once (any
// thread); nullptr when one of them or one of the functions is missing.
const FfmpegLibrary* LoadFfmpegLibrary();

}  // namespace zel
