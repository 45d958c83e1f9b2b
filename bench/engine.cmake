vardelo_benchmark(engine_bench ${CMAKE_CURRENT_LIST_DIR}/EngineBench.cpp)
