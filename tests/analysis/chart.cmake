# chart_tests: bounding-box search, raster, sampling, chart checks, and the chart renderer that
# provides their scans.
calvix_add_test(chart_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ChartFrameTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/PatchSamplingTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ChartCheckTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ChartCornersTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ChartRendererTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/OpticsTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/BoxMapTest.cpp
  LIBS calvix_analysis calvix_renderer)
