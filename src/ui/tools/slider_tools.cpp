#include "ui/tools/slider_tools.h"

#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QPushButton>
#include <vector>

#include "color/color_adjustment.h"
#include "document/document_state.h"
#include "transforms/deformations.h"
#include "transforms/image_commands.h"
#include "ui/picture_view.h"
#include "ui/tools/slider_form.h"
#include "ui/tools/tool_host.h"
#include "ui/translate.h"
#include "ui/utf8.h"

namespace zel {
namespace {

// What the slider tools share: the kind's texts, the form with its rows, and the values
// of the rows as last reported by whichever form is showing.
class SliderTool : public InteractiveTool {
 public:
  SliderTool(ToolKind kind, DocumentState& doc) : kind_(kind), doc_(doc) {}

  const ToolTexts& Texts() const override { return TextsOf(kind_); }

  std::unique_ptr<ToolForm> MakeForm(ToolForm::Shape shape, ToolHost& host) override {
    auto form =
        std::make_unique<SliderForm>(shape, Utf8(TextsOf(kind_).title), host.View()->window());
    Build(*form, host);
    form->Finish();
    SliderForm* raw = form.get();
    // Connected before the host's own handler: the values are read before it renders.
    QObject::connect(raw, &ToolForm::InputChanged, raw, [this, raw] {
      values_.clear();
      for (int row = 0; row < rows_; ++row) values_.push_back(raw->Value(row));
      gray_ = raw->Checked();
    });
    return form;
  }

 protected:
  virtual void Build(SliderForm& form, ToolHost& host) = 0;
  int AddRow(SliderForm& form, const char* label, const SliderRange& range,
             std::function<int(int)> snap = {}) {
    const int row = form.AddSlider(Tr(label), range, std::move(snap));
    rows_ = row + 1;
    if (values_.size() < static_cast<size_t>(rows_)) values_.push_back(range.start);
    return row;
  }
  int Value(int row) const { return values_[static_cast<size_t>(row)]; }
  Fill fill() const { return DocumentFill(doc_); }

  ToolKind kind_;
  DocumentState& doc_;
  std::vector<int> values_;
  bool gray_ = false;
  int rows_ = 0;
};

// Rotation and fisheye: one slider from -90 to 90; 0 leaves the picture as it is.
class AngleTool : public SliderTool {
 public:
  using SliderTool::SliderTool;

  PackedDib Preview(const PackedDib& source) override {
    if (!applied_.Apply(Value(0))) return {};
    return kind_ == ToolKind::kRotation ? RotatePreview(source, RotationTurn(Value(0)), fill())
                                        : FisheyePreview(source, FisheyeStrength(Value(0)), fill());
  }
  FrameTransform FinalTransform() const override {
    const Fill f = fill();
    if (kind_ == ToolKind::kRotation) {
      const double turn = RotationTurn(Value(0));
      return [turn, f](const PackedDib& p) { return Rotate(p, turn, f); };
    }
    const double strength = FisheyeStrength(Value(0));
    return [strength, f](const PackedDib& p) { return Fisheye(p, strength, f); };
  }
  bool IsIdentity() const override { return Value(0) == 0; }

 protected:
  void Build(SliderForm& form, ToolHost&) override {
    if (kind_ == ToolKind::kRotation) {
      AddRow(form, "角度", kRotationRange);
    } else {
      AddRow(form, "強さ", kFisheyeRange);
    }
  }

 private:
  AppliedValue<int> applied_{0};
};

class ZoomTool : public SliderTool {
 public:
  // The size of the source: previews change the document's own size.
  ZoomTool(ToolKind kind, DocumentState& doc)
      : SliderTool(kind, doc), width_(doc.width), height_(doc.height) {}

  PackedDib Preview(const PackedDib& source) override {
    if (!applied_.Apply({Value(0), Value(1)})) return {};
    const PointI size = Size();
    return ResizeFast(source, size.x, size.y);
  }
  FrameTransform FinalTransform() const override {
    const PointI size = Size();
    return [size](const PackedDib& p) { return ResizeSmooth(p, size.x, size.y); };
  }
  void Applied() override { LastZoom() = {Value(0), Value(1)}; }
  QString SizeText() const override {
    const PointI size = Size();
    return Utf8(zel::SizeText(size.x, size.y).c_str());
  }

 protected:
  void Build(SliderForm& form, ToolHost& host) override {
    AddRow(form, "拡大率", kZoomRange, SnapZoom);
    AddRow(form, "縦横比", kAspectRange);
    host.ShowSize(Utf8(zel::SizeText(width_, height_).c_str()));
    SliderForm* raw = &form;
    form.contextMenu = [raw](const QPoint& at) {
      QMenu menu(raw);
      for (const ZoomPreset& preset : kZoomPresets) {
        const int zoom = preset.zoom;
        QObject::connect(menu.addAction(Utf8(preset.label)), &QAction::triggered, raw,
                         [raw, zoom] { raw->SetValue(0, zoom); });
      }
      menu.addSeparator();
      const ZoomMemory last = LastZoom();
      QObject::connect(menu.addAction(Utf8(ZoomMemoryLabel(last).c_str())), &QAction::triggered,
                       raw, [raw, last] {
                         raw->SetValue(0, last.zoom);
                         raw->SetValue(1, last.aspect);
                       });
      menu.exec(at);
    };
  }

 private:
  PointI Size() const { return ZoomedSize(width_, height_, Value(0), Value(1)); }
  int32_t width_, height_;
  AppliedValue<std::pair<int, int>> applied_{{100, 100}};
};

// The colour adjustment: three sliders and the gray box, or the gamma slider.
class ColorTool : public SliderTool {
 public:
  using SliderTool::SliderTool;

  PackedDib Preview(const PackedDib& source) override {
    const ColorAdjustment adjustment = Adjustment();
    if (!applied_.Apply(adjustment)) return {};
    return AdjustColors(source, adjustment, fill().transparentIndex, fill().color);
  }
  FrameTransform FinalTransform() const override {
    const ColorAdjustment adjustment = Adjustment();
    const Fill f = fill();
    return [adjustment, f](const PackedDib& p) {
      return AdjustColors(p, adjustment, f.transparentIndex, f.color);
    };
  }

 protected:
  void Build(SliderForm& form, ToolHost&) override {
    const bool bar = form.shape() == ToolForm::Shape::kBar;
    if (kind_ == ToolKind::kGamma) {
      AddRow(form, "γ", kColorRange);
      form.AddSwitch(QStringLiteral("3s"));
    } else {
      AddRow(form, "明るさ", kColorRange);
      AddRow(form, "ｺﾝﾄﾗｽﾄ", kColorRange);
      AddRow(form, "赤-緑", kColorRange);
      form.AddCheck(Tr("白黒"));
      form.AddSwitch(bar ? QStringLiteral("1s") : Utf8("γ"));
    }
  }

 private:
  ColorAdjustment Adjustment() const {
    if (kind_ == ToolKind::kGamma) return GammaAdjustment(Value(0));
    return ColorAdjustment{Value(0), Value(1), Value(2), gray_};
  }
  AppliedValue<ColorAdjustment> applied_{ColorAdjustment{}};
};

}  // namespace

std::unique_ptr<InteractiveTool> MakeSliderTool(ToolKind kind, DocumentState& doc) {
  switch (kind) {
    case ToolKind::kRotation:
    case ToolKind::kFisheye:
      return std::make_unique<AngleTool>(kind, doc);
    case ToolKind::kZoom:
      return std::make_unique<ZoomTool>(kind, doc);
    case ToolKind::kColor:
    case ToolKind::kGamma:
      return std::make_unique<ColorTool>(kind, doc);
    default:
      return nullptr;
  }
}

}  // namespace zel
