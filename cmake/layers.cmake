# Layers the build enforces. Every layer is one folder under src/ and one target; a target
# sees a layer's headers only through an include view that holds that layer alone, so an
# include of a layer the target does not depend on fails to compile:
#
#   domain  <-  ports  <-  core  <-  apps
#                  ^                  |
#                  +---- adapters  <--+      common (the recogniser's protocol) <- listen, adapters
#
# domain: the program's facts and pure rules; ports: the interfaces through which the core
# reaches the system; core: the behaviour; adapters: one folder per system; apps: main().
function(varnel_include_views target scope)
  foreach(layer IN LISTS ARGN)
    set(view ${CMAKE_BINARY_DIR}/include-views/${layer})
    if(NOT EXISTS ${view}/${layer})
      file(MAKE_DIRECTORY ${view})
      file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${layer} ${view}/${layer} SYMBOLIC)
    endif()
    target_include_directories(${target} ${scope} ${view})
  endforeach()
endfunction()
