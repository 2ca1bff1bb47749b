# The editing core: DrawBlock, a full replay, stamps and Pick, beside a plain
# rectangle copy (the yardstick) and, with Qt, QPainter::drawImage (the peer).
palorin_bench(core_bench palorin_core)
if(PALORIN_WITH_QT)
  # Only the benchmark links Qt; the libraries never do.
  target_link_libraries(core_bench PRIVATE Qt6::Gui)
  target_compile_definitions(core_bench PRIVATE PALORIN_BENCH_PEER=1)
endif()
