# One UnDo click through the real widgets, beside the toolkit-free UnDo.
if(PALORIN_WITH_QT)
  palorin_bench(ui_bench palorin_ui Qt6::Test)
endif()

# The editor's start-up as a whole process, beside a bare Qt Widgets window
# of the same size (startup_peer); the same window with one line of text
# (startup_text_peer) shows what any text costs, and the editor's first frame
# drawn by the toolkit alone (startup_controls_peer) what its controls and
# face cost.
if(PALORIN_WITH_QT)
  add_executable(startup_peer startup_peer.cpp)
  target_link_libraries(startup_peer PRIVATE Qt6::Widgets)
  add_executable(startup_text_peer startup_peer.cpp)
  target_link_libraries(startup_text_peer PRIVATE Qt6::Widgets)
  target_compile_definitions(startup_text_peer PRIVATE PALORIN_PEER_TEXT)
  add_executable(startup_controls_peer startup_peer.cpp)
  target_link_libraries(startup_controls_peer PRIVATE Qt6::Widgets)
  target_include_directories(startup_controls_peer PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_definitions(startup_controls_peer PRIVATE PALORIN_PEER_CONTROLS)
  palorin_bench(startup_bench)
  target_compile_definitions(startup_bench PRIVATE PALORIN_PATH="$<TARGET_FILE:palorin>"
                                                   PALORIN_PEER_PATH="$<TARGET_FILE:startup_peer>"
                                                   PALORIN_TEXT_PEER_PATH="$<TARGET_FILE:startup_text_peer>"
                                                   PALORIN_CONTROLS_PEER_PATH="$<TARGET_FILE:startup_controls_peer>")
  add_dependencies(startup_bench palorin startup_peer startup_text_peer startup_controls_peer)
endif()
