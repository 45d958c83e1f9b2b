vardelo_benchmark(case_open_bench ${CMAKE_CURRENT_LIST_DIR}/CaseOpenBench.cpp)
