#pragma once
// What one page decides and a later page needs. One instance lives from
// start-up to exit; it is never saved as a whole. Texts are Windows-1252.
#include <string>

namespace voxmire {

struct ProjectState {
  std::string VoicePackName;
  std::string AuthorName;
  std::string AuthorURL;
  std::string ProductName;
  std::string ProductURL;
  std::string UTDir;
  std::string UTSystemDir;
  std::string UTSoundsDir;
  std::string ReadmeLocation;
  std::string SoundDir;  // always ends in the path separator
  std::string SoundDrive;
  std::string BaseVoicePackage;
  std::string VoiceGender;
  std::string BaseVoiceClass;
  bool BlankBase = false;
};

}  // namespace voxmire
