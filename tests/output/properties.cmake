voxmire_add_test(NAME default_properties_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/DefaultPropertiesTest.cpp
  LIBS voxmire_core)
