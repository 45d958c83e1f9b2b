# The report lays text out with Qt Gui's fonts: its own main makes the offscreen application.
add_executable(report_bench ${CMAKE_CURRENT_LIST_DIR}/ReportBench.cpp)
target_link_libraries(report_bench PRIVATE vardelo_report benchmark::benchmark)
target_compile_definitions(report_bench PRIVATE VARDELO_DATA="${VARDELO_DATA_FILE}")
vardelo_target_defaults(report_bench)
add_dependencies(report_bench knowledge_base)
