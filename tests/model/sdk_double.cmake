# The stand-in for the outside calculation library, built twice: complete,
# and without its FrameErr entry point. Both are named "FrameSDK.dll" like
# the real library (the loader takes a library under any name), each in a
# folder of its own that the bridge tests use as the library's folder.
set(SDK_DOUBLE_DIR ${CMAKE_CURRENT_BINARY_DIR}/sdk_double)
foreach(variant full no_err)
  add_library(sdk_double_${variant} MODULE ${CMAKE_CURRENT_LIST_DIR}/sdk_double.cpp)
  set_target_properties(sdk_double_${variant} PROPERTIES
    PREFIX "" OUTPUT_NAME "FrameSDK" SUFFIX ".dll"
    LIBRARY_OUTPUT_DIRECTORY ${SDK_DOUBLE_DIR}/${variant})
endforeach()
target_compile_definitions(sdk_double_no_err PRIVATE SDK_DOUBLE_WITHOUT_FRAMEERR)

foreach(t test_sdk_bridge)
  if(TARGET ${t})
    add_dependencies(${t} sdk_double_full sdk_double_no_err)
    target_compile_definitions(${t} PRIVATE SDK_DOUBLE_DIR="${SDK_DOUBLE_DIR}/")
  endif()
endforeach()
