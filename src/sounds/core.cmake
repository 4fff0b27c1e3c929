target_sources(voxmire_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/SoundList.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WavInfo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Library.cpp)
