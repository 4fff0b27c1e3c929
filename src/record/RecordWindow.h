#pragma once
// frmRecord: records the pack's lines. It walks every line of the work
// area's tables, shows each as a prompt, records takes from the chosen input
// and makes the line's sound from the take in use. The decisions are the
// take model's (Lines, TakeRecorder, Takes); this window shows them and
// feeds the model what the audio input hands over.
#include <QElapsedTimer>
#include <QTimer>
#include <memory>
#include <vector>

#include "app/Page.h"
#include "record/Lines.h"
#include "record/TakeRecorder.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace voxmire {

class AudioInput;
class LevelBar;

class RecordWindow : public Page {
  Q_OBJECT
 public:
  explicit RecordWindow(AppContext& ctx);
  ~RecordWindow() override;

  // Starts a take of the current line; false when there is nothing to
  // record from.
  bool StartTake();
  // Ends the take, keeps it and makes the line's sound.
  void StopTake();
  bool Taking() const { return recorder_.Recording(); }
  // The model behind the meter, and the meter shown anew from it: the
  // screenshot tour feeds it blocks to show a take in progress.
  TakeRecorder& Recorder() { return recorder_; }
  void ShowLevel();
  // Moves to the line with this key ("ack 0"); false when it isn't listed.
  bool GoToLine(const std::string& key);
  const RecordLine* CurrentLine() const;

 protected:
  void closeEvent(QCloseEvent* event) override;
  // Coming back from the work area: its rows may have changed meanwhile.
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FillLines();
  // The lines anew from the tables, staying on the same line.
  void ReloadLines();
  void ShowLine();
  void ShowTakes();
  void FillDevices();
  void DeviceChosen();
  void Move(int step);
  void PlayTake();
  void UseSelectedTake();
  void DeleteSelectedTake();
  void Lost();
  void Tick();
  void Changed();
  void SetTakingControls();
  // The take's end that needs saying, or nothing.
  QString EndNote(TakeEnd end) const;
  bool EvenLoudness() const;
  QString SelectedTake() const;

  std::vector<RecordLine> lines_;
  std::vector<int> shown_;  // the rows of the line list, as indexes into lines_
  int current_ = -1;        // index into lines_
  int taking_ = -1;         // the line being recorded
  TakeRecorder recorder_;
  std::unique_ptr<AudioInput> input_;
  QElapsedTimer clock_;
  QTimer meterTimer_;

  QListWidget* lineList_;
  QCheckBox* missingOnly_;
  QLabel* place_;
  QLabel* prompt_;
  QComboBox* inputs_;
  QLabel* noInput_;
  QCheckBox* evenLoudness_;
  LevelBar* level_;
  QLabel* levelText_;
  QPushButton* record_;
  QPushButton* play_;
  QListWidget* takeList_;
  QPushButton* useTake_;
  QPushButton* deleteTake_;
  QLabel* status_;
};

}  // namespace voxmire
