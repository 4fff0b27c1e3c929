if(NOT VOXMIRE_CORE_ONLY)
  target_sources(voxmire_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/SoundDirChooser.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SoundPages.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SoundPlayer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SoundsPage.cpp)
endif()
