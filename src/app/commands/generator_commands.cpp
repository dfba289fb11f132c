// New animations: from the picture, effects, motion, several files, merging.
#include "app/commands/command_families.h"

namespace zel {

const std::vector<CommandInfo>& GeneratorCommands() {
  static const std::vector<CommandInfo> rows = {
      {.id = kCmdMakeAnimation,
       .caption = "アニメ作成(&A)",
       .prompt = "イメージからアニメーションを作成する",
       .toolTip = "アニメ作成",
       .enabled = rules::Single},
      {.id = kCmdEffect,
       .caption = "エフェクト(&E)",
       .prompt = "アニメにエフェクトをかけます",
       .toolTip = "エフェクト",
       .enabled =
           [](const CommandContext& ctx) {
             const CommandTerms t = ReadTerms(ctx.doc);
             return t.animation && t.n >= 4;
           }},
      {.id = kCmdMotion,
       .caption = "モーション(&M)",
       .prompt = "アニメを移動します",
       .toolTip = "モーション",
       .enabled =
           [](const CommandContext& ctx) {
             return rules::Animation(ctx) && ctx.motionDefinitionsExist;
           }},
      {.id = kCmdOpenMultiple,
       .caption = "複数画像をアニメとして開く(&S)",
       .prompt = "複数の画像ファイルをまとめてアニメーションとして開く",
       .toolTip = "複数画像をアニメに"},
      {.id = kCmdOpenVideo,
       .caption = "動画をアニメとして開く(&V)",
       .prompt = "動画ファイルの一部をアニメーションとして開く",
       .toolTip = "動画をアニメに"},
      {.id = kCmdMergeAnimations,
       .caption = "アニメの合成(&A)",
       .prompt = "アニメーションを合成する",
       .toolTip = "アニメの合成",
       .enabled = rules::PalettedIndexed},
  };
  return rows;
}

}  // namespace zel
