vardelo_benchmark(concordance_bench ${CMAKE_CURRENT_LIST_DIR}/ConcordanceBench.cpp)
