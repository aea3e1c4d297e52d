# Key injection on a private X server: the program's chords through XTEST.
if(NOT WIN32 AND NOT VARNEL_CORE_ONLY AND TARGET varnel_fake)
  find_package(PkgConfig)
  find_package(Threads)
  find_program(VARNEL_XVFB Xvfb)
  find_program(VARNEL_OPENBOX openbox)
  if(PKG_CONFIG_FOUND)
    pkg_check_modules(VARNEL_KEYS_XCB IMPORTED_TARGET xcb xcb-xtest xcb-keysyms xcb-xkb)
  endif()
  if(VARNEL_KEYS_XCB_FOUND AND VARNEL_XVFB AND VARNEL_OPENBOX)
    add_executable(varnel_keys_e2e
      ${CMAKE_CURRENT_LIST_DIR}/keys_inject_test.cpp
      ${CMAKE_SOURCE_DIR}/src/adapters/x11/xtest_injector.cpp
      ${CMAKE_SOURCE_DIR}/src/adapters/x11/keysym_vk.cpp)
    varnel_include_views(varnel_keys_e2e PRIVATE adapters)
    target_link_libraries(varnel_keys_e2e PRIVATE varnel_fake varnel_core varnel_files PkgConfig::VARNEL_KEYS_XCB
      GTest::gtest GTest::gtest_main Threads::Threads)
    add_test(NAME keys_x11
      COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/keys_xvfb.sh $<TARGET_FILE:varnel_keys_e2e>)
    set_tests_properties(keys_x11 PROPERTIES LABELS "e2e" TIMEOUT 300 RUN_SERIAL TRUE)
  else()
    message(STATUS "xcb-xtest, Xvfb or openbox missing: the key injection test is not built")
  endif()
endif()

# The test window for the `varnel --command` key test (test_keys_command.sh).
if(NOT WIN32 AND NOT VARNEL_CORE_ONLY AND VARNEL_KEYS_XCB_FOUND)
  add_executable(varnel_keys_recorder
    ${CMAKE_CURRENT_LIST_DIR}/keys_recorder.cpp
    ${CMAKE_SOURCE_DIR}/src/adapters/x11/keysym_vk.cpp)
  varnel_include_views(varnel_keys_recorder PRIVATE adapters)
  target_link_libraries(varnel_keys_recorder PRIVATE varnel_ports)
  target_link_libraries(varnel_keys_recorder PRIVATE PkgConfig::VARNEL_KEYS_XCB)
endif()
