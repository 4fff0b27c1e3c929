voxmire_add_test(NAME ini_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/IniTest.cpp LIBS voxmire_core)
