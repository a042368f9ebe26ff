# The show as a web page, built with Emscripten (emcmake cmake ... -DDEMO_EMBED=native embed
# -DDEMO_ICON_TOOL=native tool_icon): the same demo over the browser backend, into
# DEMO_WEB_DIR as index.html, vort7131.js, vort7131.wasm and two icons, everything built in.
# `make web` drives it.
set(DEMO_WEB_DIR ${CMAKE_SOURCE_DIR}/build/web CACHE PATH "Where the page is written")

add_executable(vort7131 src/demo/main_demo.cpp)
target_link_libraries(vort7131 PRIVATE demo_core backend_web)
set(web_library ${CMAKE_SOURCE_DIR}/src/platform/backend_web.js)
target_link_options(vort7131 PRIVATE -O2
  # The blocking frame loop as it is: a sleep gives the page its event loop back.
  -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536
  -sALLOW_MEMORY_GROWTH
  # One factory, called once per run of the show; exit() ends the run and tells the page.
  -sMODULARIZE -sEXPORT_NAME=createVort7131 -sEXIT_RUNTIME
  -sENVIRONMENT=web -sFILESYSTEM=0
  --js-library ${web_library})
set_target_properties(vort7131 PROPERTIES
  RUNTIME_OUTPUT_DIRECTORY ${DEMO_WEB_DIR}
  LINK_DEPENDS ${web_library})
add_custom_command(OUTPUT ${DEMO_WEB_DIR}/index.html
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/web/index.html ${DEMO_WEB_DIR}/index.html
  DEPENDS ${CMAKE_SOURCE_DIR}/web/index.html VERBATIM)
# The page's icons are the desktop's, drawn by the native tool_icon named by DEMO_ICON_TOOL.
set(DEMO_ICON_TOOL "" CACHE FILEPATH "A native tool_icon, which draws the page's icons")
if(NOT DEMO_ICON_TOOL)
  message(FATAL_ERROR "The page needs -DDEMO_ICON_TOOL=<native build>/tool_icon (make web passes it)")
endif()
set(web_icons ${CMAKE_BINARY_DIR}/icons)
add_custom_command(OUTPUT ${DEMO_WEB_DIR}/icon-32.png ${DEMO_WEB_DIR}/icon-192.png
  COMMAND ${DEMO_ICON_TOOL} ${web_icons}
  COMMAND ${CMAKE_COMMAND} -E copy ${web_icons}/32x32/apps/vort7131.png ${DEMO_WEB_DIR}/icon-32.png
  COMMAND ${CMAKE_COMMAND} -E copy ${web_icons}/192x192/apps/vort7131.png ${DEMO_WEB_DIR}/icon-192.png
  DEPENDS ${DEMO_ICON_TOOL} VERBATIM)
add_custom_target(web ALL DEPENDS vort7131 ${DEMO_WEB_DIR}/index.html ${DEMO_WEB_DIR}/icon-32.png
  ${DEMO_WEB_DIR}/icon-192.png)
