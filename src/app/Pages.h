#pragma once
// Tells the navigator how to build each of the program's windows.
namespace voxmire {

struct AppContext;

void RegisterPages(AppContext& ctx);

}  // namespace voxmire
