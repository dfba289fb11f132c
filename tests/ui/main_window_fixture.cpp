#include "ui/main_window_fixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QThread>
#include <QWidget>
#include <QWindow>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/command_ids.h"
#include "app/settings.h"
#include "ui/private_home.h"

namespace zel::testing {

const std::vector<Rgb> kEightColors = {{0, 0, 0},     {255, 0, 0},    {0, 255, 0},
                                       {0, 0, 255},   {255, 255, 0},  {0, 255, 255},
                                       {255, 0, 255}, {255, 255, 255}};

void ProcessEventsFor(int ms) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(1);
  }
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() >= timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    if (!done()) QThread::msleep(1);
  }
  return true;
}

std::vector<uint8_t> Noise(int width, int height, size_t colorCount, uint32_t start) {
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * height);
  uint32_t state = start;
  for (uint8_t& p : pixels) {
    state = state * 1103515245u + 12345u;
    p = static_cast<uint8_t>((state >> 16) % colorCount);
  }
  return pixels;
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string WriteGif(const std::string& path, GifBuilder& gif) {
  WriteBytes(path, gif.Trailer().bytes());
  return path;
}

std::vector<uint8_t> Bytes(const PackedDib& picture) {
  return picture ? std::vector<uint8_t>(picture.data(), picture.data() + picture.size())
                 : std::vector<uint8_t>{};
}

void SendMouse(QWidget* widget, QEvent::Type type, QPoint local, Qt::MouseButton button) {
  const Qt::MouseButtons held =
      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
  QMouseEvent event(type, QPointF(local), QPointF(widget->mapToGlobal(local)), button, held,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(widget, &event);
}

void MainWindowFixture::SetUp() {
  Home();  // the private home before the first settings path is asked for
  std::filesystem::remove(SettingsFilePath());
  StartWindow();
}

void MainWindowFixture::TearDown() {
  if (noMessages_) {
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join(QStringLiteral("|")).toStdString();
  }
  StopWindow();
}

void MainWindowFixture::StartWindow() {
  session_ = std::make_unique<EditorSession>();
  ASSERT_EQ(session_->Start(), StartResult::kStarted);
  window_ = std::make_unique<MainWindow>(*session_);
  HookWindow();
  window_->show();
}

void MainWindowFixture::StopWindow() {
  window_.reset();
  session_.reset();
}

void MainWindowFixture::HookWindow() {
  window_->message = [this](const QString& text) { messages_ << text; };
  window_->question = [this](const QString& text) {
    ++questions_;
    asked_ << text;
    return answerYes_;
  };
  window_->saveConfirmation = [this] {
    ++saveQuestions_;
    return saveAnswer_;
  };
}

void MainWindowFixture::FailOnMessages() {
  window_->message = [](const QString& text) { ADD_FAILURE() << text.toStdString(); };
}

void MainWindowFixture::Resize(int width, int height) {
  window_->resize(width, height);
  const QSize wanted(width, height);
  // The new size arrives through the window system; the layouts then settle through posted
  // events, which are served before each look.
  EXPECT_TRUE(WaitUntil([&] {
    QCoreApplication::sendPostedEvents();
    return window_->size() == wanted && window_->windowHandle() &&
           window_->windowHandle()->size() == wanted;
  }));
  QCoreApplication::sendPostedEvents();
}

void MainWindowFixture::OpenStopped(const std::string& path, int frames) {
  ASSERT_TRUE(window_->OpenFile(path).done());
  if (frames > 1) {
    ASSERT_TRUE(window_->RunCommand(kCmdStop));
  }
  // What the open queued for the window (layouts, scroll bars) is done before the test looks.
  QCoreApplication::sendPostedEvents();
}

std::vector<int> MainWindowFixture::Delays() {
  std::vector<int> delays;
  for (int i = 0; i < Doc().frameSet->count; ++i) delays.push_back(Doc().frameSet->frame(i).delay);
  return delays;
}

std::string MainWindowFixture::Home() {
  return PrivateHome();
}

std::string MainWindowFixture::File(const std::string& name) {
  return PrivateHome() + "/files/" + name;
}

}  // namespace zel::testing
