if(NOT VOXMIRE_CORE_ONLY)
  voxmire_add_test(NAME workarea_page GUI SOURCES ${CMAKE_CURRENT_LIST_DIR}/PageTest.cpp)
endif()
