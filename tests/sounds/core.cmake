voxmire_add_test(NAME sounds_core_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/SoundListTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WavInfoTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LibraryTest.cpp
  LIBS voxmire_core)
