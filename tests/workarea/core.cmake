voxmire_add_test(NAME workarea_core_test
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/PhraseTableTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RowCountEntryTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/BaseVoicePresetsTest.cpp
  LIBS voxmire_core)
