# The RTF codec needs no knowledge base.
add_executable(rtf_bench ${CMAKE_CURRENT_LIST_DIR}/RtfBench.cpp)
target_link_libraries(rtf_bench PRIVATE vardelo_richtext benchmark::benchmark benchmark::benchmark_main)
vardelo_target_defaults(rtf_bench)
