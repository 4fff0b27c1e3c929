#pragma once
// The seven bases a voice pack can start from, each one fixed set of values.
#include <array>
#include <optional>
#include <string_view>

#include "project/ProjectState.h"

namespace voxmire {

struct BaseVoice {
  std::string_view option;   // object name of its option button
  std::string_view caption;  // the option's caption
  std::string_view stored;   // "BaseVoice" in steps.ini
  std::string_view package;  // BaseVoicePackage
  std::string_view gender;   // VoiceGender
  std::string_view cls;      // BaseVoiceClass
  bool blank;                // BlankBase
};

// In the order in which the page tests them.
inline constexpr std::array<BaseVoice, 7> kBaseVoices = {{
    {"OptMaleOne", "Voice Male One", "Male1", "Male1Voice", "Male", "VoiceMaleOne", false},
    {"OptMaleTwo", "Voice Male Two", "Male2", "Male2Voice", "Male", "VoiceMaleTwo", false},
    {"OptFemaleOne", "Voice Female One", "Female1", "Female1Voice", "Female", "VoiceFemaleOne", false},
    {"OptFemaleTwo", "Voice Female Two", "Female2", "Female2Voice", "Female", "VoiceFemaleTwo", false},
    {"OptBoss", "Boss Voice", "Boss", "BossVoice", "Boss", "VoiceBoss", false},
    {"OptBlankMale", "Blank Male Voice Pack", "BlankMale", "Male1Voice", "Male", "VoiceMaleOne", true},
    {"OptBlankFemale", "Blank Female Voice Pack", "BlankFemale", "Female1Voice", "Female",
     "VoiceFemaleOne", true},
}};

// The base whose stored value is exactly `stored` (letter case counts).
inline std::optional<std::size_t> FindBaseVoice(std::string_view stored) {
  for (std::size_t i = 0; i < kBaseVoices.size(); ++i) {
    if (kBaseVoices[i].stored == stored) return i;
  }
  return std::nullopt;
}

inline void ApplyBaseVoice(const BaseVoice& base, ProjectState& state) {
  state.BaseVoice = std::string(base.stored);
  state.BaseVoicePackage = std::string(base.package);
  state.VoiceGender = std::string(base.gender);
  state.BaseVoiceClass = std::string(base.cls);
  state.BlankBase = base.blank;
}

}  // namespace voxmire
