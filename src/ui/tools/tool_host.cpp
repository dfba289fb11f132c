#include "ui/tools/tool_host.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QPointer>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include "platform/clock.h"
#include "transforms/tool_placement.h"
#include "transforms/tool_session.h"
#include "ui/editor_session.h"
#include "ui/main_window.h"
#include "ui/picture_view.h"
#include "ui/tools/interactive_tool.h"
#include "ui/tools/tool_form.h"
#include "ui/utf8.h"

namespace zel {
namespace {

ToolRect ToRect(const QRect& r) {
  return ToolRect{r.x(), r.y(), r.width(), r.height()};
}

}  // namespace

ToolHost::ToolHost(MainWindow& window) : window_(window) {}
ToolHost::~ToolHost() = default;

PictureView* ToolHost::View() const {
  return window_.View();
}

DocumentState& ToolHost::Doc() const {
  return window_.Session().doc;
}

bool ToolHost::StandardBarFloats() const {
  return window_.StandardBar()->isFloating();
}

void ToolHost::Begin() {
  active_ = true;
  QToolBar* const bars[] = {window_.StandardBar(), window_.PictureBar(), window_.AnimationBar()};
  for (int i = 0; i < 3; ++i) {
    barsVisible_[i] = bars[i]->isVisibleTo(&window_);
    if (barsVisible_[i]) bars[i]->hide();
  }
  // The view takes the bars' room now, before a form is placed along it.
  window_.layout()->activate();
  window_.RefreshView();

  savedStatus_ = window_.statusBar()->currentMessage();
  savedSize_ = window_.SizePane()->text();
}

void ToolHost::End() {
  if (!active_) return;
  active_ = false;

  if (savedStatus_.isEmpty()) {
    window_.statusBar()->clearMessage();
  } else {
    window_.statusBar()->showMessage(savedStatus_);
  }
  window_.SizePane()->setText(savedSize_);

  QToolBar* const bars[] = {window_.StandardBar(), window_.PictureBar(), window_.AnimationBar()};
  for (int i = 0; i < 3; ++i) {
    if (barsVisible_[i]) bars[i]->show();
  }
  window_.layout()->activate();
  window_.RefreshView();
}

void ToolHost::ShowStatus(const QString& text) {
  window_.statusBar()->showMessage(text);
}

QString ToolHost::StatusText() const {
  return window_.statusBar()->currentMessage();
}

QString ToolHost::SizeText() const {
  return window_.SizePane()->text();
}

void ToolHost::ShowSize(const QString& text) {
  window_.SizePane()->setText(text);
}

// The picture's bottom edge on the view, as zoomed and scrolled.
int ToolHost::PictureBottom() const {
  return View()->SurfacePointOf(QPoint(0, Doc().height)).y();
}

int ToolHost::RunForm(ToolForm* bar, ToolForm* full) {
  PictureView* view = View();
  const QRect viewRect(view->mapToGlobal(QPoint(0, 0)), view->size());
  QScreen* screen = view->screen();
  if (!screen) screen = QGuiApplication::primaryScreen();
  const QRect screenRect = screen ? screen->availableGeometry() : viewRect;
  // Where a program cannot place its windows (Wayland) the bar cannot lie along the view:
  // the full form opens, centred over the view.
  const bool placeable = !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
  const bool floats = StandardBarFloats() || bar == nullptr || !placeable;
  const QSize barSize = bar ? bar->sizeHint() : QSize();
  const QSize fullSize = full ? full->sizeHint() : QSize();
  const FormLayout layout =
      PlaceToolForm(ToRect(viewRect), ToRect(screenRect), PictureBottom(),
                    ToolRect{0, 0, barSize.width(), barSize.height()},
                    ToolRect{0, 0, fullSize.width(), fullSize.height()}, floats);
  if (bar && layout.placement == FormPlacement::kBar) {
    bar->setGeometry(layout.rect.x, layout.rect.y, layout.rect.width, layout.rect.height);
    const int result = bar->exec();
    if (result != kToolFormNoRoom || !full) return result;
  }
  if (!full) return kToolFormNoRoom;
  const FormLayout fullLayout =
      PlaceToolForm(ToRect(viewRect), ToRect(screenRect), PictureBottom(), ToolRect{},
                    ToolRect{0, 0, fullSize.width(), fullSize.height()}, true);
  if (placeable) {
    full->move(fullLayout.rect.x, fullLayout.rect.y);
  } else {
    full->move(viewRect.center() - QPoint(fullSize.width() / 2, fullSize.height() / 2));
  }
  return full->exec();
}

void ToolHost::RenderLatest(InteractiveTool& tool, ToolSession& session) {
  previewPending_ = false;
  if (!session.IsOpen()) return;
  const ToolTexts& texts = tool.Texts();
  // The colour tools keep their instruction while they render.
  if (*texts.busy) ShowStatus(Utf8(texts.busy));
  // A preview that cannot be computed leaves the previous one in place.
  if (session.ShowPreview(tool.Preview(session.source()))) {
    const QString size = tool.SizeText();
    if (!size.isEmpty()) ShowSize(size);
    View()->Surface()->repaint();
  }
  if (*texts.idle) ShowStatus(Utf8(texts.idle));
}

void ToolHost::ApplyOk(InteractiveTool& tool, ToolSession& session, ToolForm& form) {
  // A second click while the frames are converted is not a second OK.
  if (applying_) return;
  applying_ = true;
  const QString converting = Utf8(tool.Texts().converting);
  FramePassOptions options;
  options.threads = workerThreads;
  // Progress after the converting text. User input waits meanwhile: the frames are being
  // rewritten.
  options.progress = [this, converting](int done, int total) {
    ShowStatus(QStringLiteral("%1 %2/%3").arg(converting).arg(done).arg(total));
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return true;
  };
  const bool changed = session.changed();
  if (changed) {
    if (!converting.isEmpty()) ShowStatus(converting);
    form.setEnabled(false);
  }
  const Outcome result = session.Ok(tool.FinalTransform(), tool.IsIdentity(), options);
  applying_ = false;
  if (result.done()) tool.Applied();
  window_.ShowOutcome(result);
  form.done(kToolFormOk);
}

int ToolHost::RunTool(InteractiveTool& tool) {
  ToolSession session(Doc());
  int result = kToolFormCancel;
  {
    ToolMode mode(*this);
    ShowStatus(Utf8(tool.Texts().instruction));
    if (!session.Open()) return kToolFormCancel;

    auto prepare = [&](ToolForm* form) {
      if (!form) return;
      QObject::connect(form, &ToolForm::InputChanged, form, [this, &tool, &session, form] {
        if (previewPending_) return;
        previewPending_ = true;
        // Moves made while a preview renders pile up as one: only the latest is rendered.
        QTimer::singleShot(0, form, [this, &tool, &session] { RenderLatest(tool, session); });
      });
      QObject::connect(form, &ToolForm::OkRequested, form,
                       [this, &tool, &session, form] { ApplyOk(tool, session, *form); });
      QObject::connect(form, &ToolForm::CancelRequested, form, [&session] { session.Cancel(); });
    };

    std::unique_ptr<ToolForm> bar;
    if (!StandardBarFloats()) bar = tool.MakeForm(ToolForm::Shape::kBar, *this);
    std::unique_ptr<ToolForm> full = tool.MakeForm(ToolForm::Shape::kFull, *this);
    prepare(bar.get());
    prepare(full.get());
    result = RunForm(bar.get(), full.get());
    previewPending_ = false;
    if (session.IsOpen()) session.Cancel();
    // The document is free again; an animation plays again from its first frame.
    session.Close(TickCount());
  }
  // A cancelled tool gave its picture back without an edit.
  window_.RefreshAll();
  if (result == kToolFormOk || result == kToolFormSwitch) return result;
  return kToolFormCancel;
}

}  // namespace zel
