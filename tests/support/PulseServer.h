#pragma once
// A private PulseAudio sound server for the recording tests: its own socket
// and runtime folder, nothing that talks to the machine's sound cards. A
// null sink is the room, a source remapped over the room's monitor is the
// microphone (the system's default input), so whatever is played into the
// room is what the program records. The server is stopped by its process
// id when the object goes, and dies with the test process besides.
#include <sys/types.h>

#include <filesystem>
#include <string>

namespace voxmire::test {

class PulseServer {
 public:
  // Starts the server and points this process's clients at it
  // (PULSE_SERVER). Started() says whether that worked; Problem() why not.
  PulseServer();
  ~PulseServer();
  PulseServer(const PulseServer&) = delete;
  PulseServer& operator=(const PulseServer&) = delete;

  bool Started() const { return pid_ > 0 && problem_.empty(); }
  const std::string& Problem() const { return problem_; }

  static constexpr const char* kRoom = "room";
  static constexpr const char* kMicrophone = "mic";
  static constexpr const char* kMicrophoneName = "Test Microphone";

  // pactl with these arguments against this server; its output, or nothing
  // when it failed.
  bool Pactl(const std::string& args, std::string* output = nullptr) const;
  // Takes the microphone away (as when a USB headset is pulled), and brings
  // it back.
  bool UnplugMicrophone();
  bool PlugMicrophone();
  // Plays the file into the room; true once it has been played whole. The
  // Qt event loop keeps running meanwhile.
  bool Play(const std::filesystem::path& wav) const;

 private:
  std::filesystem::path dir_;
  pid_t pid_ = -1;
  std::string problem_;
  int micModule_ = -1;
};

}  // namespace voxmire::test
