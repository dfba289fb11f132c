// The tempo of a Standard MIDI File: the first Set Tempo event of any track, and the
// numbers the MIDI tempo window shows for it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include "resources/words.h"

namespace zel {

enum class MidiTempoError {
  kNone,
  kCannotRead,  // the file cannot be opened or read
  kNoHeader,    // no "MThd" at the start nor inside the first 128 bytes
  kTruncated,   // a read past the end of the data
  kBadTrack,    // a track does not start with "MTrk"
  kBadEvent,    // running status before any status, an unknown status, a bad length
  kShortTempo,  // a tempo event with fewer than 3 data bytes
  kNoTempo,     // no track holds a tempo event
};

struct MidiTempoResult {
  bool found = false;
  uint32_t microsecondsPerQuarter = 0;  // the 24-bit tempo, when found
  MidiTempoError error = MidiTempoError::kNone;
};

// The biggest MIDI file read; larger files are refused unread.
constexpr size_t kMidiFileCap = 64u * 1024 * 1024;

// Searches the bytes of a MIDI file for its first tempo event. Every read stays inside
// `data`; any fault in the file ends the search with an error.
MidiTempoResult FindMidiTempo(const uint8_t* data, size_t size);
MidiTempoResult FindMidiTempoFile(const std::string& path);

// A short English description of an error, for the command line.
const char* MidiTempoErrorText(MidiTempoError error);

// The five numbers of the tempo window: beats per minute ("%d") and one, two, three and
// four beats in seconds ("%1.2f"). The tempo must be above 0.
struct TempoNumbers {
  std::string beatsPerMinute;
  std::string beatSeconds[4];
};
TempoNumbers FormatTempo(uint32_t microsecondsPerQuarter);

// The message shown when a chosen file holds no tempo.
inline constexpr Words kMidiNoTempoMessage{"MIDIファイルからテンポの情報を得られませんでした.",
                                           "No tempo could be read from the MIDI file."};

}  // namespace zel
