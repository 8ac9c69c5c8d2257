# The RC window tests (tests/rccheck/test_rc_*_qt.cpp) need the windows'
# library besides rccheck, and Qt's test events to act as a person does.
find_package(Qt6 COMPONENTS Test)
file(GLOB RC_UI_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/test_rc_*_qt.cpp)
foreach(src ${RC_UI_TEST_SOURCES})
  get_filename_component(name ${src} NAME_WE)
  if(TARGET ${name} AND TARGET rccheck_ui)
    target_link_libraries(${name} PRIVATE rccheck_ui)
    if(TARGET Qt6::Test)
      target_link_libraries(${name} PRIVATE Qt6::Test)
    endif()
  endif()
endforeach()
