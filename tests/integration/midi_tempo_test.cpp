#include "integration/midi_tempo.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace zel {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Header(uint16_t tracks) {
  return {'M',
          'T',
          'h',
          'd',
          0,
          0,
          0,
          6,
          0,
          1,
          static_cast<uint8_t>(tracks >> 8),
          static_cast<uint8_t>(tracks),
          0,
          96};
}

Bytes Track(const Bytes& events) {
  Bytes t = {'M', 'T', 'r', 'k'};
  uint32_t n = static_cast<uint32_t>(events.size());
  for (int s = 24; s >= 0; s -= 8) t.push_back(static_cast<uint8_t>(n >> s));
  t.insert(t.end(), events.begin(), events.end());
  return t;
}

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

const Bytes kTempo500000 = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20};
const Bytes kEndOfTrack = {0x00, 0xFF, 0x2F, 0x00};
// Notes under running status, a program change, a pitch bend, a sysex and a text event.
const Bytes kBusyEvents = {0x00, 0x90, 0x3C, 0x40, 0x10, 0x3E, 0x40, 0x10, 0x40, 0x40,
                           0x00, 0xC0, 0x05, 0x00, 0xE0, 0x00, 0x40, 0x00, 0xF0, 0x03,
                           0x01, 0x02, 0xF7, 0x00, 0xFF, 0x01, 0x02, 'h',  'i'};

MidiTempoResult Find(const Bytes& b) {
  return FindMidiTempo(b.data(), b.size());
}

TEST(MidiTempo, FiveNumbersOfTheWindow) {
  TempoNumbers n = FormatTempo(500000);
  EXPECT_EQ(n.beatsPerMinute, "120");
  EXPECT_EQ(n.beatSeconds[0], "0.50");
  EXPECT_EQ(n.beatSeconds[1], "1.00");
  EXPECT_EQ(n.beatSeconds[2], "1.50");
  EXPECT_EQ(n.beatSeconds[3], "2.00");
  // Integer division for the beats per minute.
  EXPECT_EQ(FormatTempo(700000).beatsPerMinute, "85");
  EXPECT_EQ(FormatTempo(700000).beatSeconds[3], "2.80");
}

TEST(MidiTempo, FindsTheFirstTempoEvent) {
  struct Case {
    const char* name;
    Bytes file;
    uint32_t tempo;
  };
  Bytes wrapped20 = Join({Bytes(20, 'x'), Header(1), Track(Join({kTempo500000, kEndOfTrack}))});
  const Case cases[] = {
      {"plain", Join({Header(1), Track(Join({kTempo500000, kEndOfTrack}))}), 500000},
      {"after running status and other events",
       Join({Header(1), Track(Join({kBusyEvents, kTempo500000, kEndOfTrack}))}), 500000},
      {"in the second track",
       Join({Header(2), Track(Join({kBusyEvents, kEndOfTrack})),
             Track(Join({{0x00, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40}, kEndOfTrack}))}),
       1000000},
      {"header inside a wrapper at offset 20", wrapped20, 500000},
      {"longer header and tempo event",
       Join({{'M', 'T', 'h', 'd', 0, 0, 0, 8, 0, 0, 0, 1, 0, 96, 9, 9},
             Track({0x00, 0xFF, 0x51, 0x04, 0x01, 0x02, 0x03, 0x04})}),
       0x010203},
  };
  for (const Case& c : cases) {
    MidiTempoResult r = Find(c.file);
    EXPECT_TRUE(r.found) << c.name;
    EXPECT_EQ(r.microsecondsPerQuarter, c.tempo) << c.name;
  }
}

TEST(MidiTempo, FailsCleanlyOnBadAndHostileFiles) {
  struct Case {
    const char* name;
    Bytes file;
    MidiTempoError error;
  };
  Bytes wrapped130 = Join({Bytes(130, 'x'), Header(1), Track(kTempo500000)});
  Bytes truncatedTempo = Join({Header(1), Track(kTempo500000)});
  truncatedTempo.resize(truncatedTempo.size() - 2);
  const Case cases[] = {
      {"empty", {}, MidiTempoError::kNoHeader},
      {"header only at offset 130", wrapped130, MidiTempoError::kNoHeader},
      {"no tempo", Join({Header(2), Track(Join({kBusyEvents, kEndOfTrack})), Track(kEndOfTrack)}),
       MidiTempoError::kNoTempo},
      {"running status before any status", Join({Header(1), Track({0x00, 0x3C, 0x40})}),
       MidiTempoError::kBadEvent},
      {"running status after a meta event",
       Join({Header(1), Track({0x00, 0xFF, 0x01, 0x00, 0x00, 0x3C, 0x40})}),
       MidiTempoError::kBadEvent},
      {"unknown system status", Join({Header(1), Track({0x00, 0xF4, 0x00})}),
       MidiTempoError::kBadEvent},
      {"tempo event of two bytes", Join({Header(1), Track({0x00, 0xFF, 0x51, 0x02, 0x07, 0xA1})}),
       MidiTempoError::kShortTempo},
      {"tempo cut by the end of the file", truncatedTempo, MidiTempoError::kTruncated},
      {"header cut short", Bytes{'M', 'T', 'h', 'd', 0, 0}, MidiTempoError::kTruncated},
      {"huge header length",
       Join({{'M', 'T', 'h', 'd', 0xFF, 0xFF, 0xFF, 0xFF, 0, 1, 0, 1, 0, 96}, Track(kTempo500000)}),
       MidiTempoError::kTruncated},
      {"huge meta length",
       Join({Header(1), Track({0x00, 0xFF, 0x01, 0x8F, 0xFF, 0xFF, 0x7F}), Track(kTempo500000)}),
       MidiTempoError::kTruncated},
      {"huge track length then more tracks",
       Join({Header(2), {'M', 'T', 'r', 'k', 0xFF, 0xFF, 0xFF, 0xF0, 0x00, 0xFF, 0x2F, 0x00}}),
       MidiTempoError::kTruncated},
      {"five-byte quantity", Join({Header(1), Track({0x80, 0x80, 0x80, 0x80, 0x00, 0x90, 1, 2})}),
       MidiTempoError::kBadEvent},
      {"missing MTrk", Join({Header(1), Bytes{'J', 'U', 'N', 'K', 0, 0, 0, 0}}),
       MidiTempoError::kBadTrack},
  };
  for (const Case& c : cases) {
    MidiTempoResult r = Find(c.file);
    EXPECT_FALSE(r.found) << c.name;
    EXPECT_EQ(r.error, c.error) << c.name;
  }
}

TEST(MidiTempo, EveryCutOfAGoodFileFailsWithoutReadingPastIt) {
  Bytes file = Join({Header(2), Track(Join({kBusyEvents, kEndOfTrack})),
                     Track(Join({kBusyEvents, kTempo500000}))});
  ASSERT_TRUE(Find(file).found);
  for (size_t size = 0; size + 1 < file.size(); ++size) {
    // An exact-size heap copy, so that a read past the end shows under the sanitizers.
    Bytes cut(file.begin(), file.begin() + static_cast<long>(size));
    EXPECT_FALSE(Find(cut).found) << size;
  }
}

TEST(MidiTempo, MissingFileCannotBeRead) {
  EXPECT_EQ(FindMidiTempoFile("/nonexistent/song.mid").error, MidiTempoError::kCannotRead);
}

}  // namespace
}  // namespace zel
