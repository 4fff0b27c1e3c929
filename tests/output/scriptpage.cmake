if(NOT VOXMIRE_CORE_ONLY)
  voxmire_add_test(NAME script_page GUI SOURCES ${CMAKE_CURRENT_LIST_DIR}/ScriptPageTest.cpp)
endif()
