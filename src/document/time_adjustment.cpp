#include "document/time_adjustment.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "document/document_state.h"
#include "document/edit_transaction.h"

namespace zel {

namespace {

int32_t FrameCount(const DocumentState& doc) {
  if (!doc.frameSet) return 0;
  return std::clamp(doc.frameSet->count, 0, doc.frameSet->capacity());
}

int32_t ClampToInt32(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

// The time box holds at most seven characters, read as a decimal integer the way the C
// library's atoi reads one: leading blanks, an optional sign, then digits up to the first
// other character. Text without digits reads as 0.
int64_t ReadTypedTime(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    negative = text[i] == '-';
    ++i;
  }
  int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    value = value * 10 + (text[i] - '0');
  return negative ? -value : value;
}

}  // namespace

SavedDelays::SavedDelays(const DocumentState& doc) {
  const int32_t count = FrameCount(doc);
  delays_.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) delays_.push_back(doc.frameSet->frame(i).delay);
}

void SavedDelays::Restore(DocumentState& doc) const {
  const int32_t count = std::min<int32_t>(FrameCount(doc), static_cast<int32_t>(delays_.size()));
  for (int i = 0; i < count; ++i) doc.frameSet->frame(i).delay = delays_[static_cast<size_t>(i)];
}

Outcome SavedDelays::Commit(DocumentState& doc) const {
  const int32_t count = FrameCount(doc);
  if (count != static_cast<int32_t>(delays_.size())) return Outcome::NothingDone();
  std::vector<int32_t> now;
  now.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) now.push_back(doc.frameSet->frame(i).delay);
  if (now == delays_) return Outcome::NothingDone();
  // The snapshot must hold the delays as they were before the form changed them.
  Restore(doc);
  EditTransaction edit(doc, kUndoEdit);
  return edit.Commit([&] {
    for (int i = 0; i < count; ++i) doc.frameSet->frame(i).delay = now[static_cast<size_t>(i)];
    return true;
  });
}

int64_t SavedDelays::Total() const {
  int64_t total = 0;
  for (int32_t d : delays_) total += d;
  return total;
}

int32_t ScaledDelay(int32_t delay, int64_t percent) {
  if (delay <= 0) return delay;
  int64_t scaled = (int64_t{delay} * percent + 50) / 100;
  if (scaled < 1) scaled = 1;
  if (scaled > 65535) scaled = 65535;
  return static_cast<int32_t>(scaled);
}

std::string SecondsText(int64_t hundredths) {
  char text[32];
  std::snprintf(text, sizeof text, "%1.2f", static_cast<double>(hundredths) / 100.0);
  return text;
}

SliderTimeModel::SliderTimeModel(DocumentState& doc)
    : doc_(doc), saved_(doc), total_(saved_.Total()), position_(ClampToInt32(total_)) {}

bool SliderTimeModel::Usable() const {
  return saved_.delays().size() >= 2;
}

int32_t SliderTimeModel::Maximum() const {
  return total_ < 10 ? 100 : ClampToInt32(5 * total_);
}

std::string SliderTimeModel::Text() const {
  return SecondsText(position_);
}

void SliderTimeModel::MoveTo(int32_t position) {
  position_ = std::clamp(position, 0, Maximum());
  const std::vector<int32_t>& saved = saved_.delays();
  const int32_t count = std::min<int32_t>(FrameCount(doc_), static_cast<int32_t>(saved.size()));
  for (int i = 0; i < count; ++i) {
    int32_t delay = 0;
    if (total_ != 0) {
      const double scaled = std::trunc(static_cast<double>(saved[static_cast<size_t>(i)]) *
                                       position_ / static_cast<double>(total_));
      delay = static_cast<int32_t>(std::clamp<double>(scaled, std::numeric_limits<int32_t>::min(),
                                                      std::numeric_limits<int32_t>::max()));
    }
    doc_.frameSet->frame(i).delay = delay;
  }
}

Outcome SliderTimeModel::Keep() {
  return saved_.Commit(doc_);
}

void SliderTimeModel::Cancel() {
  saved_.Restore(doc_);
  position_ = ClampToInt32(total_);
}

DetailedTimeModel::DetailedTimeModel(DocumentState& doc) : doc_(doc), saved_(doc) {}

bool DetailedTimeModel::Usable() const {
  return Count() >= 2;
}

int32_t DetailedTimeModel::Count() const {
  return FrameCount(doc_);
}

int32_t DetailedTimeModel::FrameOfColumn(int column) const {
  if (column < 0 || column >= kColumns) return -1;
  const int32_t frame = firstShown_ + column;
  return frame < Count() ? frame : -1;
}

bool DetailedTimeModel::ColumnEnabled(int column) const {
  return column >= 0 && column < kColumns && column < Count();
}

int32_t DetailedTimeModel::DelayOfColumn(int column) const {
  const int32_t frame = FrameOfColumn(column);
  return frame < 0 ? -1 : doc_.frameSet->frame(frame).delay;
}

std::string DetailedTimeModel::NumberText(int column) const {
  const int32_t frame = FrameOfColumn(column);
  return frame < 0 ? std::string() : std::to_string(frame + 1);
}

std::string DetailedTimeModel::TotalText() const {
  int64_t total = 0;
  for (int i = 0; i < Count(); ++i) total += doc_.frameSet->frame(i).delay;
  return SecondsText(total);
}

std::string DetailedTimeModel::TypeTime(int column, const std::string& typed) {
  const int32_t frame = FrameOfColumn(column);
  if (frame < 0) return std::string();
  const std::string text = typed.substr(0, 7);
  const int64_t value = ReadTypedTime(text);
  Frame& target = doc_.frameSet->frame(frame);
  std::string shown = text;
  if (value < 0) {
    target.delay = 0;
    shown = "0";
  } else if (value > kMaxDelay) {
    target.delay = kMaxDelay;
    shown = "1000";
  } else {
    target.delay = static_cast<int32_t>(value);
  }
  return shown;
}

void DetailedTimeModel::SetTime(int column, int32_t value) {
  const int32_t frame = FrameOfColumn(column);
  if (frame < 0) return;
  doc_.frameSet->frame(frame).delay = std::clamp(value, 0, kMaxDelay);
}

bool DetailedTimeModel::Back() {
  if (Count() < 6 || firstShown_ < 1) return false;
  --firstShown_;
  return true;
}

bool DetailedTimeModel::Forward() {
  if (Count() < 6 || firstShown_ + kColumns >= Count()) return false;
  ++firstShown_;
  return true;
}

bool DetailedTimeModel::ToFirst() {
  if (Count() < 6 || firstShown_ < 1) return false;
  firstShown_ = 0;
  return true;
}

bool DetailedTimeModel::ToLast() {
  if (Count() < 6 || firstShown_ + kColumns >= Count()) return false;
  firstShown_ = Count() - kColumns;
  return true;
}

void DetailedTimeModel::Cancel() {
  saved_.Restore(doc_);
}

Outcome DetailedTimeModel::Keep() {
  return saved_.Commit(doc_);
}

int32_t LoopCountOf(LoopChoice choice, int64_t count) {
  switch (choice) {
    case LoopChoice::kForever:
      return kLoopForever;
    case LoopChoice::kOnce:
      return kPlayOnce;
    case LoopChoice::kCount:
      break;
  }
  return static_cast<int32_t>(std::clamp<int64_t>(count, 1, kMaxLoopCount));
}

LoopChoice LoopChoiceOf(int32_t loopCount) {
  if (loopCount == kPlayOnce) return LoopChoice::kOnce;
  if (loopCount == kLoopForever) return LoopChoice::kForever;
  return LoopChoice::kCount;
}

int32_t LoopCountBoxValue(int32_t loopCount) {
  return loopCount >= 1 && loopCount <= kMaxLoopCount ? loopCount : 1;
}

Outcome SetLoopCount(DocumentState& doc, int32_t loopCount) {
  if (!doc.frameSet || !IsAnimation(doc.kind)) return Outcome::NothingDone();
  if (loopCount < kPlayOnce || loopCount > kMaxLoopCount) return Outcome::NothingDone();
  if (doc.frameSet->loopCount == loopCount) return Outcome::NothingDone();
  EditTransaction edit(doc, kUndoLoopCount);
  return edit.Commit([&] {
    doc.frameSet->loopCount = loopCount;
    return true;
  });
}

}  // namespace zel
