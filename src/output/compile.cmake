target_sources(voxmire_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/IntFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GameIni.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RunAndWait.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CompileSequence.cpp)
