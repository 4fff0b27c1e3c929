if(NOT VOXMIRE_CORE_ONLY)
  target_sources(voxmire_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/VoiceWindow.cpp
    ${CMAKE_CURRENT_LIST_DIR}/VoiceWindowPages.cpp)
endif()
