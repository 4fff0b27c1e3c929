if(NOT VOXMIRE_CORE_ONLY)
  voxmire_add_test(NAME sounds_voicewindow GUI SOURCES ${CMAKE_CURRENT_LIST_DIR}/VoiceWindowTest.cpp)
endif()
