if(NOT VOXMIRE_CORE_ONLY)
  target_sources(voxmire_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/PhraseTableModel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WorkAreaPage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WorkAreaPages.cpp)
endif()
