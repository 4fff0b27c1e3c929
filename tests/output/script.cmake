voxmire_add_test(NAME script_template_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ScriptTemplateTest.cpp
  LIBS voxmire_core)
