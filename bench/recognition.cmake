vardelo_benchmark(recognition_bench ${CMAKE_CURRENT_LIST_DIR}/RecognitionBench.cpp)
