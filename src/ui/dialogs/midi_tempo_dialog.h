// The MIDI tempo window: a file name, a browse button and the tempo with the length of one
// to four beats. Modeless; the numbers come from the core's FindMidiTempoFile and
// FormatTempo.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

class QLineEdit;
class QPushButton;

namespace zel {

class MidiTempoDialog : public QDialog {
  Q_OBJECT

 public:
  // `midiPath` is the remembered file ("midipath"); it changes only when a chosen file was
  // read. `showMessage` shows the message of a file without a tempo.
  MidiTempoDialog(std::string& midiPath, std::function<void(const QString&)> showMessage,
                  QWidget* parent);

  // A file chosen with the browse button (or typed and confirmed with Enter).
  void ChooseFile(const QString& path);

  QLineEdit* FileEdit() const { return fileEdit_; }
  // The five numbers: beats per minute, then one to four beats in seconds.
  QLineEdit* Field(int i) const { return fields_[i]; }

 signals:
  // A chosen file was read: `midiPath` holds it now.
  void FileRemembered();

 private:
  void Browse();
  // Fills the fields from the file; false (fields cleared) when it has no usable tempo.
  bool Fill(const std::string& path, bool* read);

  std::string& midiPath_;
  std::function<void(const QString&)> showMessage_;
  QLineEdit* fileEdit_ = nullptr;
  QLineEdit* fields_[5] = {};
};

}  // namespace zel
