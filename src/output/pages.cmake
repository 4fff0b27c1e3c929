if(NOT VOXMIRE_CORE_ONLY)
  target_sources(voxmire_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/OutputPages.cpp
    ${CMAKE_CURRENT_LIST_DIR}/IntFilePage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CompilePage.cpp)
endif()
