// Every text the core makes for the user comes in the current language: Japanese, the
// program's own, or English without a Japanese character.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/change_color.h"
#include "app/frame_strip.h"
#include "app/multi_picture_rules.h"
#include "app/settings.h"
#include "app/startup_rules.h"
#include "app/status_texts.h"
#include "app/window_title.h"
#include "color/palette_operation.h"
#include "color/palette_reference.h"
#include "generators/animation_merge.h"
#include "generators/effect_schedule.h"
#include "generators/motion_builtins.h"
#include "generators/picture_to_animation.h"
#include "generators/several_pictures.h"
#include "imagefiles/file_names.h"
#include "integration/external_edit.h"
#include "integration/midi_tempo.h"
#include "integration/motion_edit.h"
#include "integration/sibling_programs.h"
#include "resources/string_table.h"
#include "support/language_scope.h"
#include "transforms/pick_rules.h"
#include "transforms/tool_models.h"

namespace zel {
namespace {

using testing::IsAscii;
using testing::LanguageScope;

// The texts made under the current language, each with a name for the failure message.
std::vector<std::pair<std::string, std::string>> CoreTexts() {
  std::vector<std::pair<std::string, std::string>> texts;
  const auto add = [&texts](const std::string& name, const std::string& text) {
    texts.emplace_back(name, text);
  };
  for (const Words* words : {&kEditorSettingLabel,
                             &kGifWriteFailedText,
                             &kSeveralPicturesProgressCaption,
                             &kGeneratorProgressCaption,
                             &kPickFirstCornerText,
                             &kPickSecondCornerText,
                             &kPickPointText,
                             &kUntitledTitle,
                             &kGeneratedUntitledTitle,
                             &kFrameMaxChangedMessage,
                             &kSecondInstanceMessage,
                             &kEditorBrowseTitle,
                             &kEditorBrowseFilter,
                             &kEditorBrowseProposal,
                             &kTooManyPicturesText,
                             &kPictureSizeDiffersText,
                             &kIndexConversionFailedText,
                             &kNewMotionCaption,
                             &kNewMotionText,
                             &kNewMotionDefaultTitle,
                             &kEditMotionCaption,
                             &kEditMotionText,
                             &kMorselProgressCaption,
                             &kMidiNoTempoMessage,
                             &kEditWaitCaption,
                             &kEditWaitText,
                             &kEditWaitButton,
                             &kPaletteMergeIntoTransparentQuestion,
                             &kPaletteClearTransparentQuestion,
                             &kPaletteDropCommonQuestion,
                             &kReferenceMissingText,
                             &kReferenceFailedText,
                             &kReferenceTooManyColorsText,
                             &kUntitledName}) {
    add(words->japanese, Say(*words));
  }
  for (ImageKind kind : {ImageKind::kGifAnimation, ImageKind::kFrameAnimation}) {
    add("kind label", KindLabel(kind));
  }
  for (int e = 0; e < kEffectCount; ++e) add("effect", EffectText(static_cast<Effect>(e)));
  for (int b = 0; b < kBuiltinMotionCount; ++b) {
    add("motion", ShownMotionTitle(BuiltinMotionAt(b).title));
  }
  for (int t = 0; t < kToolKindCount; ++t) {
    const ToolTexts& tool = TextsOf(static_cast<ToolKind>(t));
    // The colour tools have no drawing or converting texts in either language.
    for (const char* text : {tool.instruction, tool.busy, tool.idle, tool.converting, tool.title}) {
      if (*text != '\0') add("tool text", text);
    }
  }
  add("zoom memory", ZoomMemoryLabel(ZoomMemory{150, 80}));
  add("strip label", StripFrameLabel(2, 125));
  for (int error : {kMergeFileNotFound, kMergeNoMemory, kMergeCannotOpen, kMergeNotIndexed,
                    kMergeTooManyColors, kMergeNoDuration, kMergeNoClipboard}) {
    MergeResult result;
    result.error = error;
    add("merge error", MergeErrorText(result));
  }
  for (int result : {kSeveralBadName, kSeveralUnsupported, kSeveralUnreadable, kSeveralTooMany,
                     kSeveralSizeDiffers}) {
    add("several pictures", SeveralPicturesMessage(result));
  }
  for (AddPictureResult result : {AddPictureResult::kTooMany, AddPictureResult::kSizeDiffers}) {
    add("add picture", AddPictureMessage(result));
  }
  DocumentState untitled;
  untitled.untitled = true;
  add("window title", MainWindowTitle(untitled));
  add("save dialog", SaveDialogInitialPath("", "gif", "/pictures/"));
  add("default settings", DefaultSettings("/pictures").lastImagePath);
  return texts;
}

TEST(CoreTexts, EnglishHasNoJapaneseCharacter) {
  LanguageScope english(Language::kEnglish);
  for (const auto& [name, text] : CoreTexts()) {
    EXPECT_FALSE(text.empty()) << name;
    EXPECT_TRUE(IsAscii(text)) << name << ": " << text;
  }
}

TEST(CoreTexts, JapaneseKeepsTheProgramsOwnWording) {
  LanguageScope japanese(Language::kJapanese);
  const auto texts = CoreTexts();
  for (const auto& [name, text] : texts) {
    EXPECT_FALSE(text.empty()) << name;
  }
  // The two languages differ wherever the Japanese holds Japanese.
  LanguageScope english(Language::kEnglish);
  const auto englishTexts = CoreTexts();
  ASSERT_EQ(texts.size(), englishTexts.size());
  for (size_t i = 0; i < texts.size(); ++i) {
    if (!IsAscii(texts[i].second)) EXPECT_NE(texts[i].second, englishTexts[i].second) << i;
  }
}

// The status bar names a PNG picture "PNG" in either language; the file-type labels that
// are names of formats are the same in both.
TEST(CoreTexts, KindLabels) {
  struct Case {
    ImageKind kind;
    const char* japanese;
    const char* english;
  } cases[] = {
      {ImageKind::kGifAnimation, "ｱﾆﾒ", "Anim"},
      {ImageKind::kFrameAnimation, "ﾌﾚｰﾑ", "Frames"},
      {ImageKind::kGifPicture, "GIF", "GIF"},
      {ImageKind::kBitmap, "BMP", "BMP"},
      {ImageKind::kJpeg, "JPEG", "JPEG"},
      {ImageKind::kPng, "PNG", "PNG"},
      {ImageKind::kNone, " ", " "},
  };
  for (const Case& c : cases) {
    {
      LanguageScope japanese(Language::kJapanese);
      EXPECT_STREQ(KindLabel(c.kind), c.japanese);
    }
    LanguageScope english(Language::kEnglish);
    EXPECT_STREQ(KindLabel(c.kind), c.english);
  }
}

}  // namespace
}  // namespace zel
