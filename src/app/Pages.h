#pragma once
// Tells the navigator how to build each of the program's windows. Each
// subsystem registers its own windows.
namespace voxmire {

struct AppContext;

void RegisterPages(AppContext& ctx);
void RegisterSoundPages(AppContext& ctx);     // src/sounds/SoundPages.cpp
void RegisterVoiceWindow(AppContext& ctx);    // src/sounds/VoiceWindowPages.cpp
void RegisterScriptPages(AppContext& ctx);    // src/output/ScriptPages.cpp
void RegisterWorkAreaPages(AppContext& ctx);  // src/workarea/WorkAreaPages.cpp
void RegisterOutputPages(AppContext& ctx);    // src/output/OutputPages.cpp
void RegisterRecordWindow(AppContext& ctx);   // src/record/RecordWindowPages.cpp

}  // namespace voxmire
