# One UnDo click through the real widgets, beside the toolkit-free UnDo.
if(PALORIN_WITH_QT)
  palorin_bench(ui_bench palorin_ui Qt6::Test)
endif()
