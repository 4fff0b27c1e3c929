add_executable(bench_workarea ${CMAKE_CURRENT_LIST_DIR}/WorkAreaBench.cpp)
target_link_libraries(bench_workarea PRIVATE voxmire_core voxmire_options benchmark::benchmark_main)
