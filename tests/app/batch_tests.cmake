# Glue for the batch-run helper's targets.

# The batch run is tested through the real program.
if(TARGET test_batch_run AND TARGET vextor)
  add_dependencies(test_batch_run vextor)
  target_compile_definitions(test_batch_run PRIVATE VEXTOR_EXE="$<TARGET_FILE:vextor>")
endif()
