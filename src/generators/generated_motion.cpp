#include "generators/generated_motion.h"

#include <memory>
#include <optional>
#include <utility>

namespace zel {

namespace {

MotionPlacement PlacementOf(std::optional<PreparedMotion> prepared, int32_t transparentIndex,
                            uint32_t fillColorRef) {
  if (!prepared) return {};
  auto motion = std::make_shared<const PreparedMotion>(std::move(*prepared));
  return [motion, transparentIndex, fillColorRef](const PackedDib& frame, int step) {
    return PlaceMotion(*motion, frame, step, fillColorRef, transparentIndex);
  };
}

}  // namespace

MotionPreparation MotionAlong(const MotionChoice& choice) {
  return
      [choice](int width, int height, int frames, int32_t transparentIndex, uint32_t fillColorRef) {
        return PlacementOf(PrepareMotion(choice, width, height, frames), transparentIndex,
                           fillColorRef);
      };
}

MotionPreparation MotionAlongSelected(const MotionDefinitions& defs) {
  return [&defs](int width, int height, int frames, int32_t transparentIndex,
                 uint32_t fillColorRef) {
    return PlacementOf(PrepareMotion(defs, width, height, frames), transparentIndex, fillColorRef);
  };
}

}  // namespace zel
