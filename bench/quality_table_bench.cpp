// The high-quality reduction next to pngquant and ImageMagick, one row per picture of a varied
// set made at run time: ImageMagick plasma, gradients and noise, photo-like JPEG files of
// different content (built-in pictures scaled up, blurred plasma, fractal and gradient
// combinations) and ffmpeg's test patterns saved as JPEG, from 320 x 240 to 1920 x 1080.
//
// Run:   build/bench/zel_bench --benchmark_filter='QualityTable'
//
// Each row reduces its picture to 256 colours (BM_QualityTable/i/256) or 16 or 64 and gives,
// side by side, the error against the source (RMSE over the three channels, 0..1, as
// ImageMagick's `compare -metric RMSE`) of this program (rmse; no transparent corner, so at
// 256 the last entry is the transparent colour that no pixel uses),
// `pngquant N` (pngquantRmse, its default diffusion) and ImageMagick's `-colors N`
// (magickRmse), and the wall times: this program's reduction in the process (the row's time,
// and seconds), pngquant's and ImageMagick's whole commands on the same picture (pngquantSeconds,
// magickSeconds, each including its start). pngquantRatio = rmse / pngquantRmse.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "bench_support.h"
#include "color/quality_quantizer.h"
#include "document/packed_dib.h"

namespace {

using zel::PackedDib;
using zel::bench::Seconds;

constexpr char kConvert[] = "/usr/bin/convert";

struct Picture {
  const char* name;
  // The shell command that writes the picture to the path given as %s (a JPEG or PNG file).
  const char* make;
  const char* extension;
};

const Picture kPictures[] = {
    {"plasma 640x480", "/usr/bin/convert -size 640x480 -seed 3 plasma: %s", "png"},
    {"plasma photo 1280x960",
     "/usr/bin/convert -size 1280x960 -seed 11 plasma:fractal -blur 0x2 -quality 90 %s", "jpg"},
    {"plasma photo 1920x1080",
     "/usr/bin/convert -size 1920x1080 -seed 31 plasma:fractal -blur 0x1 -quality 92 %s", "jpg"},
    {"noisy sky 1920x1080",
     "/usr/bin/convert -size 1920x1080 gradient:navy-orange -seed 4 -attenuate 0.2 "
     "+noise Gaussian %s",
     "png"},
    {"heavy noise 1920x1080",
     "/usr/bin/convert -size 1920x1080 gradient:navy-orange -seed 8 -attenuate 0.6 "
     "+noise Gaussian %s",
     "png"},
    {"noise 320x240",
     "/usr/bin/convert -size 320x240 xc:gray50 -colorspace sRGB -type TrueColor -seed 9 "
     "-attenuate 0.6 +noise Gaussian %s",
     "png"},
    {"rose 640x480", "/usr/bin/convert rose: -resize 640x480! -quality 88 %s", "jpg"},
    {"logo 800x600", "/usr/bin/convert logo: -resize 800x600! -quality 85 %s", "jpg"},
    {"wizard 1024x768", "/usr/bin/convert wizard: -resize 1024x768! -quality 90 %s", "jpg"},
    {"netscape 320x240", "/usr/bin/convert netscape: -resize 320x240! -quality 90 %s", "jpg"},
    {"fractal radial 1600x1200",
     "/usr/bin/convert -size 1600x1200 -seed 21 plasma:fractal -blur 0x3 \\( -size 1600x1200 "
     "radial-gradient:white-black \\) -compose multiply -composite -quality 92 %s",
     "jpg"},
    {"gradient blend 1024x768",
     "/usr/bin/convert -size 1024x768 gradient:red-blue \\( -size 1024x768 -seed 5 "
     "plasma:green-yellow -blur 0x8 \\) -compose blend -define compose:args=50 -composite "
     "-quality 90 %s",
     "jpg"},
    {"testsrc2 1280x720",
     "ffmpeg -loglevel error -y -f lavfi -i testsrc2=size=1280x720:rate=1 -frames:v 1 -q:v 3 %s",
     "jpg"},
    {"mandelbrot 1920x1080",
     "ffmpeg -loglevel error -y -f lavfi -i mandelbrot=size=1920x1080:rate=1 -frames:v 1 "
     "-q:v 3 %s",
     "jpg"},
};
constexpr int kPictureCount = static_cast<int>(sizeof kPictures / sizeof kPictures[0]);

// The next number of a PPM header, past white space and comment lines; -1 when there is none.
int HeaderNumber(std::FILE* f) {
  int c = std::fgetc(f);
  while (c == '#' || c == ' ' || c == '\n' || c == '\r' || c == '\t') {
    if (c == '#') {
      while (c != '\n' && c != EOF) c = std::fgetc(f);
    }
    c = std::fgetc(f);
  }
  if (c < '0' || c > '9') return -1;
  int value = 0;
  for (; c >= '0' && c <= '9' && value < 100000; c = std::fgetc(f)) value = value * 10 + (c - '0');
  return value;  // the one white-space character after it is read too
}

// A binary PPM (maxval 255) as a 24-bit picture; empty when unreadable.
PackedDib ReadPpm(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return {};
  PackedDib picture;
  const bool magic = std::fgetc(f) == 'P' && std::fgetc(f) == '6';
  const int w = magic ? HeaderNumber(f) : -1;
  const int h = w > 0 ? HeaderNumber(f) : -1;
  const int maxval = h > 0 ? HeaderNumber(f) : -1;
  if (w > 0 && h > 0 && maxval == 255) {
    picture = zel::NewPicture(w, h, 24, 0);
    std::vector<uint8_t> row(3 * static_cast<size_t>(w));
    for (int y = 0; picture && y < h; ++y) {
      if (std::fread(row.data(), 1, row.size(), f) != row.size()) {
        picture = {};
        break;
      }
      uint8_t* d = picture.Row(y);
      for (int x = 0; x < w; ++x) {
        d[3 * x] = row[3 * x + 2];
        d[3 * x + 1] = row[3 * x + 1];
        d[3 * x + 2] = row[3 * x];
      }
    }
  }
  std::fclose(f);
  return picture;
}

// RMSE of an 8- or 24-bit picture against the 24-bit source, over the three channels, 0..1.
double Rmse(const PackedDib& picture, const PackedDib& source) {
  const zel::DibHeader h = source.Header();
  if (!picture || picture.Header().width != h.width || picture.Header().height != h.height) {
    return -1;
  }
  const bool indexed = picture.Header().bitCount == 8;
  double sum = 0;
  for (int y = 0; y < h.height; ++y) {
    const uint8_t* s = source.Row(y);
    const uint8_t* d = picture.Row(y);
    for (int x = 0; x < h.width; ++x, s += 3) {
      const uint8_t* c = indexed ? &picture.ColorTable()[d[x]].blue : d + 3 * x;
      for (int i = 0; i < 3; ++i) sum += double(s[i] - c[i]) * double(s[i] - c[i]);
    }
  }
  return std::sqrt(sum / (3.0 * h.width * h.height)) / 255.0;
}

// The scratch folder of the run, removed with its pictures at exit.
struct Scratch {
  std::string path;
  Scratch() {
    char name[] = "/tmp/zel_quality_table_XXXXXX";
    if (mkdtemp(name) != nullptr) path = name;
  }
  ~Scratch() {
    if (!path.empty()) std::system(("rm -rf '" + path + "'").c_str());
  }
};

const std::string& Folder() {
  static const Scratch scratch;
  return scratch.path;
}

struct Made {
  std::string png;  // the picture as an 8-bit PNG, the peers' input
  PackedDib pixels;
};

// The picture of row `i`, made once per run.
const Made& MadePicture(int i) {
  static std::vector<std::optional<Made>> made(kPictureCount);
  if (!made[i]) {
    Made m;
    const std::string base = Folder() + "/" + std::to_string(i);
    const std::string first = base + "." + kPictures[i].extension;
    char command[1024];
    std::snprintf(command, sizeof command, kPictures[i].make, first.c_str());
    m.png = base + "_source.png";
    const std::string ppm = base + ".ppm";
    if (!Folder().empty() && std::system(command) == 0 &&
        std::system((std::string(kConvert) + " " + first + " -depth 8 " + m.png).c_str()) == 0 &&
        std::system((std::string(kConvert) + " " + m.png + " -strip " + ppm).c_str()) == 0) {
      m.pixels = ReadPpm(ppm);
    }
    made[i] = std::move(m);
  }
  return *made[i];
}

// Wall seconds of one run of `command`; -1 when it fails.
double TimeOnce(const std::string& command) {
  const auto start = std::chrono::steady_clock::now();
  if (std::system(command.c_str()) != 0) return -1;
  return Seconds(start);
}

void BM_QualityTable(benchmark::State& state) {
  const int i = static_cast<int>(state.range(0));
  const int colours = static_cast<int>(state.range(1));
  const Made& made = MadePicture(i);
  if (!made.pixels) return state.SkipWithError("could not make the picture");
  const std::string base = Folder() + "/" + std::to_string(i);
  const std::string pq = base + "_pq.png", im = base + "_im.ppm", pqPpm = base + "_pq.ppm";
  const std::string n = std::to_string(colours);

  const double pqSeconds = TimeOnce("pngquant " + n + " --force -o " + pq + " " + made.png);
  const double imSeconds =
      TimeOnce(std::string(kConvert) + " " + made.png + " -colors " + n + " " + im);
  if (pqSeconds < 0 || imSeconds < 0 ||
      std::system((std::string(kConvert) + " " + pq + " " + pqPpm).c_str()) != 0) {
    return state.SkipWithError("pngquant or ImageMagick failed");
  }

  int countIndex = 0;
  while ((2 << countIndex) < colours && countIndex < 7) ++countIndex;
  std::optional<zel::IndexConversion> result;
  double total = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    result = zel::QualityConvertToIndexColor(made.pixels, {countIndex, 0, false}, 0xC0C0C0);
    total += Seconds(start);
    if (!result) return state.SkipWithError("reduction failed");
  }
  const double rmse = Rmse(result->picture, made.pixels);
  const double pqRmse = Rmse(ReadPpm(pqPpm), made.pixels);
  state.counters["rmse"] = rmse;
  state.counters["pngquantRmse"] = pqRmse;
  state.counters["magickRmse"] = Rmse(ReadPpm(im), made.pixels);
  state.counters["pngquantRatio"] = pqRmse > 0 ? rmse / pqRmse : 0;
  state.counters["seconds"] = total / static_cast<double>(state.iterations());
  state.counters["pngquantSeconds"] = pqSeconds;
  state.counters["magickSeconds"] = imSeconds;
  state.SetLabel(kPictures[i].name);
  for (const std::string& path : {pq, im, pqPpm}) std::remove(path.c_str());
}

void QualityTableRows(benchmark::internal::Benchmark* b) {
  for (int colours : {256, 64, 16}) {
    for (int i = 0; i < kPictureCount; ++i) b->Args({i, colours});
  }
}

BENCHMARK(BM_QualityTable)
    ->Apply(QualityTableRows)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

}  // namespace
