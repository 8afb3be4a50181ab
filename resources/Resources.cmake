# Files compiled into the program as Qt resources, relative to resources/.
set(VELTRANE_RESOURCE_FILES
  veltrane.svg)
list(TRANSFORM VELTRANE_RESOURCE_FILES PREPEND ${CMAKE_CURRENT_LIST_DIR}/ OUTPUT_VARIABLE VELTRANE_RESOURCE_PATHS)
