#pragma once
// Owns the program's windows: one instance of each, created afresh when it is
// opened after having been closed. Forward moves open the next window and
// then close the current one; back moves close first and then open. The
// program ends on Quit, or when its last window has closed.
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>

namespace voxmire {

enum class PageId {
  Splash,          // frmSplash
  Start,           // Form1
  Info,            // Form2
  ChooseUTDir,     // frmChooseUTDir
  SelectVoice,     // frmSelectVoice
  ChooseSoundDir,  // frmChooseSoundDir
  Sounds,          // Form4
  Script,          // Form3
  WorkArea,        // Form5
  VoiceWindow,     // Form6
  IntFile,         // Form7
  Compile,         // Form8
  About,           // frmAbout
  Preferences,     // frmPreferences
  Preview,         // frmPreview
  Recorder,        // frmRecord
};

class Navigator : public QObject {
  Q_OBJECT
 public:
  using Factory = std::function<QWidget*()>;

  explicit Navigator(QObject* parent = nullptr);
  ~Navigator() override;

  void Register(PageId id, Factory factory);

  // The open window, created (its opening step run) but not shown when it
  // isn't open yet. Null when no factory is registered.
  QWidget* Get(PageId id);
  // Get(), then show it and bring it forward.
  QWidget* Open(PageId id);
  void Close(PageId id);
  // The open window or null; never creates.
  QWidget* Window(PageId id) const;
  bool IsOpen(PageId id) const { return Window(id) != nullptr; }

  template <typename T>
  T* WindowAs(PageId id) const {
    return qobject_cast<T*>(Window(id));
  }

  // Open `to`, then close `from`.
  QWidget* Forward(PageId from, PageId to);
  // Close `from`, then open `to`.
  QWidget* Back(PageId from, PageId to);

  // Deletes every window now, open or closing.
  void DestroyAll();

  // Ends the program at once, whatever is open.
  void Quit();
  void SetQuitHandler(std::function<void()> handler) { quit_ = std::move(handler); }

 Q_SIGNALS:
  void Opened(voxmire::PageId id);

 private:
  void CheckForLastWindow();

  std::map<PageId, Factory> factories_;
  std::map<PageId, QPointer<QWidget>> windows_;
  std::function<void()> quit_;
  bool checkPending_ = false;
};

}  // namespace voxmire
