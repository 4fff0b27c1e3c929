if(NOT VOXMIRE_CORE_ONLY)
  target_sources(voxmire_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/InfoPage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SelectVoicePage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/UTDirChooser.cpp)
endif()
