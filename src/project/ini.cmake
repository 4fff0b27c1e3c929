target_sources(voxmire_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/Ini.cpp)
