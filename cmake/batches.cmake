# CLI11 is header-only, and every unit that includes it compiles the library's validators and
# their helpers anew: about 12 s a unit on the machines this builds on, more than most units'
# own code. Such units are compiled together in a few batches instead, as many as are given.
#   zelkor_batch(TARGET BATCHES SOURCE...)
# Other units of the target are compiled one by one as before, so a change to them rebuilds
# only themselves.
function(zelkor_batch target batches)
  set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_MODE GROUP)
  set(index 0)
  foreach(source IN LISTS ARGN)
    math(EXPR group "${index} % ${batches}")
    set_source_files_properties(${source} TARGET_DIRECTORY ${target}
      PROPERTIES UNITY_GROUP ${target}_${group})
    math(EXPR index "${index} + 1")
  endforeach()
endfunction()
