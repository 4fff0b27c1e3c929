if(NOT VOXMIRE_CORE_ONLY)
  add_executable(bench_workarea_page ${CMAKE_CURRENT_LIST_DIR}/WorkAreaPageBench.cpp)
  target_link_libraries(bench_workarea_page PRIVATE voxmire_gui voxmire_options benchmark::benchmark)
endif()
