if(NOT VOXMIRE_CORE_ONLY)
  voxmire_add_test(NAME sound_pages GUI SOURCES ${CMAKE_CURRENT_LIST_DIR}/PagesTest.cpp)
endif()
