voxmire_add_test(NAME int_file_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/IntFileTest.cpp LIBS voxmire_core)
voxmire_add_test(NAME game_ini_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/GameIniTest.cpp LIBS voxmire_core)
voxmire_add_test(NAME run_and_wait_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/RunAndWaitTest.cpp LIBS voxmire_core)
voxmire_add_test(NAME compile_sequence_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/CompileSequenceTest.cpp LIBS voxmire_core)
