target_sources(voxmire_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/PhraseTable.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RowCountEntry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BaseVoicePresets.cpp)
